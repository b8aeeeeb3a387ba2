#pragma once
// A JPEG file read one row at a time.

#include <cstdint>
#include <memory>
#include <string>

#include "base/Status.h"

namespace qm {

/// Decodes a JPEG file (baseline or progressive; colour or grey) as 24-bit
/// RGB rows, top to bottom, one per ReadRow(); only a strip of the image is
/// in memory at a time (a progressive file needs its whole coefficients).
/// Open() reads only the header; decoding buffers are made at the first
/// ReadRow(), so hundreds of readers may stand open while one is read.
/// A missing, corrupt or truncated file makes the failing call return a
/// failure naming the file and saying what is wrong; it never ends or
/// crashes the program. After a failure the reader stays failed, repeating
/// the first failure, until the next Open(). Destroying the reader closes
/// the file.
class JpegRowReader {
 public:
  JpegRowReader();
  ~JpegRowReader();
  JpegRowReader(const JpegRowReader&) = delete;
  JpegRowReader& operator=(const JpegRowReader&) = delete;

  /// Opens `path` and reads its header, closing any file open before.
  Status Open(const std::string& path);

  /// Decodes the next row into `rgb` (room for Width() * 3 bytes). Refused
  /// after the last row.
  Status ReadRow(std::uint8_t* rgb);

  /// Passes over the next `count` rows without producing them (whole strips
  /// are only entropy-decoded, which is far cheaper than decoding). Refused
  /// when fewer than `count` rows are left.
  Status SkipRows(int count);

  /// Closes the file; safe at any time.
  void Close();

  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  struct Decoder;
  Status Fail(const std::string& why, int systemError = 0);

  std::unique_ptr<Decoder> decoder_;
  std::string path_;
  int width_ = 0;
  int height_ = 0;
  int rowsRead_ = 0;
  Status failure_;
};

}  // namespace qm
