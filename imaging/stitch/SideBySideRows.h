#pragma once
// The rows of pictures standing side by side, produced top to bottom with
// bounded memory and one file open at a time.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Status.h"
#include "imaging/stitch/PlacedPicture.h"
#include "imaging/stitch/Rgb.h"

namespace qm {

/// Produces the rows of a canvas `width` x `height` on which JPEG pictures
/// stand side by side, top-aligned (each picture's y is ignored); what no
/// picture covers is `background`.
///
/// Rows are made a band at a time: the band holds as many whole rows as fit
/// in `bandBytes` (rounded down to a multiple of 16 rows when at least 16
/// fit), and at least one row. Memory is the band buffer plus one decoder,
/// and at most one picture file is open at any moment, whatever the number
/// of pictures.
///
/// When the whole canvas fits in one band, each picture is decoded straight
/// into it. Otherwise (a wide canvas of many pictures) each picture is
/// decoded once, in turn, into an unnamed scratch file in `scratchFolder`
/// (gone when the object is, and after any end of the process), and each
/// band is read back from there: the work grows with the number of pictures,
/// where decoding the rows above every band again would grow with its square.
/// The scratch file holds the canvas's pixels once (width * height * 3).
class SideBySideRows {
 public:
  /// The default band budget: 64 MiB.
  static constexpr std::size_t kDefaultBandBytes = std::size_t{64} << 20;

  /// `pictures` lie within the canvas: x + width <= `width`, height <= `height`.
  SideBySideRows(std::vector<PlacedPicture> pictures, int width, int height,
                 Rgb background, std::size_t bandBytes = kDefaultBandBytes,
                 std::string scratchFolder = "/tmp");
  ~SideBySideRows();
  SideBySideRows(const SideBySideRows&) = delete;
  SideBySideRows& operator=(const SideBySideRows&) = delete;
  SideBySideRows(SideBySideRows&& other) noexcept;

  /// Points `*row` at the next canvas row (width * 3 bytes of R, G, B), valid
  /// until the next call. A picture that cannot be read fails with the
  /// reader's message naming it; after a failure, or past the last row, every
  /// call fails.
  Status NextRow(const std::uint8_t** row);

  /// Rows per band.
  int BandRows() const { return bandRows_; }
  /// True when the pictures go through the scratch file.
  bool UsesScratch() const { return bandRows_ < height_; }

 private:
  Status FillBand();
  Status FillBandFromPictures();
  Status FillBandFromScratch();
  /// Decodes every picture once into the scratch file.
  Status DecodeIntoScratch();

  std::vector<PlacedPicture> pictures_;
  int width_;
  int height_;
  Rgb background_;
  int bandRows_;
  std::vector<std::uint8_t> band_;
  int bandTop_ = 0;   ///< canvas row of the band's first row
  int bandFill_ = 0;  ///< rows of the band painted
  int nextRow_ = 0;   ///< canvas row NextRow() gives next
  Status failure_;
  std::string scratchFolder_;
  int scratch_ = -1;  ///< the scratch file, once made
  std::vector<std::uint64_t> scratchOffsets_;  ///< where each picture starts in it
  std::vector<std::uint8_t> block_;            ///< one picture's rows of a band
};

}  // namespace qm
