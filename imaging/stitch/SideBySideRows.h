#pragma once
// The rows of pictures standing side by side, produced top to bottom with
// bounded memory and one file open at a time.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Status.h"
#include "imaging/stitch/PlacedPicture.h"

namespace qm {

/// Produces the rows of a canvas `width` x `height` on which JPEG pictures
/// stand side by side, top-aligned (each picture's y is ignored); what no
/// picture covers is `background` grey.
///
/// Pictures are decoded a band of rows at a time: for each band every
/// picture is opened, the rows above the band are passed over, the band's
/// rows are decoded into the band buffer, and the file is closed again. So
/// at most one file is open at any moment, whatever the number of pictures,
/// and memory is the band buffer plus one decoder: the band holds as many
/// whole rows as fit in `bandBytes` (rounded down to a multiple of 16 rows
/// when at least 16 fit, so passing over rows stays cheap), and at least one
/// row. When the whole canvas fits in one band each file is read once; else
/// each is opened once per band and passes over the rows above it again.
class SideBySideRows {
 public:
  /// The default band budget: 64 MiB.
  static constexpr std::size_t kDefaultBandBytes = std::size_t{64} << 20;

  /// `pictures` lie within the canvas: x + width <= `width`, height <= `height`.
  SideBySideRows(std::vector<PlacedPicture> pictures, int width, int height,
                 std::uint8_t background, std::size_t bandBytes = kDefaultBandBytes);

  /// Points `*row` at the next canvas row (width * 3 bytes of R, G, B), valid
  /// until the next call. A picture that cannot be read fails with the
  /// reader's message naming it; after a failure, or past the last row, every
  /// call fails.
  Status NextRow(const std::uint8_t** row);

  /// Rows per band.
  int BandRows() const { return bandRows_; }

 private:
  Status FillBand();

  std::vector<PlacedPicture> pictures_;
  int width_;
  int height_;
  std::uint8_t background_;
  int bandRows_;
  std::vector<std::uint8_t> band_;
  int bandTop_ = 0;   ///< canvas row of the band's first row
  int bandFill_ = 0;  ///< rows of the band painted
  int nextRow_ = 0;   ///< canvas row NextRow() gives next
  Status failure_;
};

}  // namespace qm
