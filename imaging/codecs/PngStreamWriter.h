#pragma once
// A PNG file written row by row, so an image of any height needs memory for
// only a row or two.

#include <cstdint>
#include <memory>
#include <string>

#include "base/Status.h"
#include "imaging/codecs/AtomicFile.h"
#include "imaging/codecs/PngSettings.h"

struct spng_ctx;

namespace qm {

/// Writes an RGB or RGBA PNG (8 bits per channel, 96 dpi) whose rows arrive
/// one at a time, top to bottom: Open(), exactly `height` calls of WriteRow(),
/// then Finish(). The file is written under a temporary name in the same
/// folder and appears under its own name, replacing an older file, only when
/// Finish() succeeds; a writer destroyed or abandoned before that, or one
/// that failed, leaves no file and no temporary behind.
///
/// A failing call's Status names the file, says what went wrong and carries
/// the errno of a failed system call. After a failure every call but
/// Abandon() and Open() fails again with the first failure.
class PngStreamWriter {
 public:
  PngStreamWriter();
  ~PngStreamWriter();
  PngStreamWriter(const PngStreamWriter&) = delete;
  PngStreamWriter& operator=(const PngStreamWriter&) = delete;

  /// Starts a PNG of `width` x `height` pixels (each 1 to 2^31 - 1) at
  /// `path`, abandoning any file this writer had open; `channels` 4 makes
  /// it an RGBA file, anything else RGB.
  Status Open(const std::string& path, int width, int height,
              const PngSettings& settings = PngSettings::Defaults(), int channels = 3);

  /// Appends the next row: `width` pixels of R, G, B (and A, in an RGBA
  /// file) bytes. Refused after the last row.
  Status WriteRow(const std::uint8_t* rgb);

  /// After the last row, completes the file and puts it in place.
  Status Finish();

  /// Drops the file under way and its temporary; safe at any time.
  void Abandon();

  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  struct EncoderFree {
    void operator()(spng_ctx* ctx) const;
  };
  static int WriteToFile(spng_ctx* ctx, void* user, void* data, std::size_t length);
  Status Fail(const std::string& what, int systemError = 0);
  Status FailFromLibrary(const std::string& what, int code);

  AtomicFile file_;
  std::unique_ptr<spng_ctx, EncoderFree> ctx_;
  std::string path_;
  int width_ = 0;
  int channels_ = 3;  ///< bytes per pixel of each row: 3 (RGB) or 4 (RGBA)
  int height_ = 0;
  int rowsWritten_ = 0;
  Status failure_;
};

}  // namespace qm
