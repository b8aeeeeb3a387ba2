#include "imaging/stitch/SideBySideRows.h"

#include <algorithm>
#include <string>

#include "imaging/codecs/JpegRowReader.h"

namespace qm {

namespace {

int RowsPerBand(std::size_t rowBytes, int height, std::size_t bandBytes) {
  const std::size_t fit = rowBytes == 0 ? bandBytes : bandBytes / rowBytes;
  std::size_t rows = std::max<std::size_t>(fit, 1);
  if (rows >= 16) rows -= rows % 16;
  return static_cast<int>(std::min<std::size_t>(rows, static_cast<std::size_t>(std::max(height, 1))));
}

}  // namespace

SideBySideRows::SideBySideRows(std::vector<PlacedPicture> pictures, int width, int height,
                               std::uint8_t background, std::size_t bandBytes)
    : pictures_(std::move(pictures)),
      width_(width),
      height_(height),
      background_(background),
      bandRows_(RowsPerBand(static_cast<std::size_t>(width) * 3, height, bandBytes)) {}

Status SideBySideRows::NextRow(const std::uint8_t** row) {
  if (!failure_.Ok()) return failure_;
  if (nextRow_ >= height_)
    return Status::Failure("All " + std::to_string(height_) + " rows of the joined image were given already.");
  if (nextRow_ >= bandTop_ + bandFill_) {
    bandTop_ = nextRow_;
    failure_ = FillBand();
    if (!failure_.Ok()) return failure_;
  }
  *row = band_.data() + static_cast<std::size_t>(nextRow_ - bandTop_) * width_ * 3;
  ++nextRow_;
  return {};
}

Status SideBySideRows::FillBand() {
  const std::size_t rowBytes = static_cast<std::size_t>(width_) * 3;
  bandFill_ = std::min(bandRows_, height_ - bandTop_);
  band_.assign(rowBytes * bandFill_, background_);
  JpegRowReader reader;
  for (const PlacedPicture& picture : pictures_) {
    if (bandTop_ >= picture.height) continue;  // the band lies below it
    Status status = reader.Open(picture.path);
    if (!status.Ok()) return status;
    if (reader.Width() != picture.width || reader.Height() != picture.height)
      return Status::Failure("Cannot read the JPEG image \"" + picture.path +
                             "\": its size changed while the joined image was being made.");
    status = reader.SkipRows(bandTop_);
    if (!status.Ok()) return status;
    const int rows = std::min(bandFill_, picture.height - bandTop_);
    for (int y = 0; status.Ok() && y < rows; ++y)
      status = reader.ReadRow(band_.data() + rowBytes * y + std::size_t(picture.x) * 3);
    if (!status.Ok()) return status;
    reader.Close();
  }
  return {};
}

}  // namespace qm
