#include "imaging/stitch/SideBySideRows.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "imaging/codecs/JpegRowReader.h"

namespace qm {

namespace {

int RowsPerBand(std::size_t rowBytes, int height, std::size_t bandBytes) {
  const std::size_t fit = rowBytes == 0 ? bandBytes : bandBytes / rowBytes;
  std::size_t rows = std::max<std::size_t>(fit, 1);
  if (rows >= 16) rows -= rows % 16;
  return static_cast<int>(std::min<std::size_t>(rows, static_cast<std::size_t>(std::max(height, 1))));
}

/// An unnamed file in `folder`: nothing of it remains once it is closed,
/// whatever ends the process. -1 with errno set when none can be made.
int UnnamedFileIn(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
  // A file system without O_TMPFILE: a named file, unlinked at once.
  std::string pattern = folder + "/.quillmere-join-XXXXXX";
  const int named = ::mkostemp(pattern.data(), O_CLOEXEC);
  // Unnamed at once. It was just created in this folder, so the unlink can
  // hardly fail; were it to, the scratch file would stay behind, named.
  if (named >= 0) (void)::unlink(pattern.c_str());
  return named;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadAllAt(int fd, std::uint8_t* data, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const ssize_t n = ::pread(fd, data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

Status SizeChanged(const PlacedPicture& picture) {
  return Status::Failure("Cannot read the JPEG image \"" + picture.path +
                         "\": its size changed while the joined image was being made.");
}

}  // namespace

SideBySideRows::SideBySideRows(std::vector<PlacedPicture> pictures, int width, int height,
                               Rgb background, std::size_t bandBytes,
                               std::string scratchFolder)
    : pictures_(std::move(pictures)),
      width_(width),
      height_(height),
      background_(background),
      bandRows_(RowsPerBand(static_cast<std::size_t>(width) * 3, height, bandBytes)),
      scratchFolder_(std::move(scratchFolder)) {}

SideBySideRows::~SideBySideRows() {
  if (scratch_ >= 0) (void)::close(scratch_);  // an unnamed scratch file: its space goes with it
}

SideBySideRows::SideBySideRows(SideBySideRows&& other) noexcept
    : pictures_(std::move(other.pictures_)),
      width_(other.width_),
      height_(other.height_),
      background_(other.background_),
      bandRows_(other.bandRows_),
      band_(std::move(other.band_)),
      bandTop_(other.bandTop_),
      bandFill_(other.bandFill_),
      nextRow_(other.nextRow_),
      failure_(std::move(other.failure_)),
      scratchFolder_(std::move(other.scratchFolder_)),
      scratch_(std::exchange(other.scratch_, -1)),
      scratchOffsets_(std::move(other.scratchOffsets_)),
      block_(std::move(other.block_)) {}

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
  band_.resize(rowBytes * bandFill_);
  FillRgb(band_, background_);
  return UsesScratch() ? FillBandFromScratch() : FillBandFromPictures();
}

Status SideBySideRows::FillBandFromPictures() {
  const std::size_t rowBytes = static_cast<std::size_t>(width_) * 3;
  JpegRowReader reader;
  for (const PlacedPicture& picture : pictures_) {
    if (bandTop_ >= picture.height) continue;  // the band lies below it
    Status status = reader.Open(picture.path);
    if (!status.Ok()) return status;
    if (reader.Width() != picture.width || reader.Height() != picture.height)
      return SizeChanged(picture);
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

Status SideBySideRows::DecodeIntoScratch() {
  scratch_ = UnnamedFileIn(scratchFolder_);
  if (scratch_ < 0) {
    return Status::Failure("Cannot make the joined image: no scratch file can be made in " +
                               scratchFolder_ + " (" + std::strerror(errno) + ")",
                           errno);
  }
  JpegRowReader reader;
  std::uint64_t offset = 0;
  scratchOffsets_.reserve(pictures_.size());
  for (const PlacedPicture& picture : pictures_) {
    scratchOffsets_.push_back(offset);
    Status status = reader.Open(picture.path);
    if (!status.Ok()) return status;
    if (reader.Width() != picture.width || reader.Height() != picture.height)
      return SizeChanged(picture);
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * 3;
    // Rows go out in blocks of about a megabyte, not one write each.
    const int rowsPerBlock = std::max(1, static_cast<int>((std::size_t{1} << 20) / std::max<std::size_t>(rowBytes, 1)));
    block_.resize(rowBytes * static_cast<std::size_t>(rowsPerBlock));
    for (int top = 0; top < picture.height; top += rowsPerBlock) {
      const int rows = std::min(rowsPerBlock, picture.height - top);
      for (int y = 0; status.Ok() && y < rows; ++y)
        status = reader.ReadRow(block_.data() + rowBytes * y);
      if (!status.Ok()) return status;
      if (!WriteAll(scratch_, block_.data(), rowBytes * rows)) {
        const int error = errno;
        return Status::Failure("Cannot make the joined image: the scratch file in " +
                                   scratchFolder_ + " cannot be written (" + std::strerror(error) + ")",
                               error);
      }
    }
    reader.Close();
    offset += rowBytes * static_cast<std::uint64_t>(picture.height);
  }
  return {};
}

Status SideBySideRows::FillBandFromScratch() {
  if (scratch_ < 0) {
    const Status decoded = DecodeIntoScratch();
    if (!decoded.Ok()) return decoded;
  }
  const std::size_t canvasRowBytes = static_cast<std::size_t>(width_) * 3;
  for (std::size_t i = 0; i < pictures_.size(); ++i) {
    const PlacedPicture& picture = pictures_[i];
    if (bandTop_ >= picture.height) continue;
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * 3;
    const int rows = std::min(bandFill_, picture.height - bandTop_);
    // The picture's rows of this band lie one after another in the scratch file.
    block_.resize(rowBytes * static_cast<std::size_t>(rows));
    if (!ReadAllAt(scratch_, block_.data(), block_.size(),
                   scratchOffsets_[i] + rowBytes * static_cast<std::uint64_t>(bandTop_))) {
      const int error = errno;
      return Status::Failure("Cannot make the joined image: its scratch file cannot be read back",
                             error);
    }
    for (int y = 0; y < rows; ++y) {
      std::memcpy(band_.data() + canvasRowBytes * y + std::size_t(picture.x) * 3,
                  block_.data() + rowBytes * y, rowBytes);
    }
  }
  return {};
}

}  // namespace qm
