// Joining slide pictures into one PNG, streamed row by row.

#include <cstdint>
#include <limits>
#include <memory>

#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "imaging/codecs/JpegRowReader.h"
#include "base/Paths.h"
#include "base/Units.h"
#include "imaging/codecs/PngStreamWriter.h"
#include "engine/export/Powerpoint1.h"

namespace qm {

namespace {

/// The canvas background: the system window colour.
constexpr std::uint8_t kBackground = 255;
/// 50 twips at 15 twips per pixel, added below a top-to-bottom join.
constexpr int kBottomStripRows = 50 / kTwipsPerPixel;

struct Picture {
  std::string path;
  std::unique_ptr<JpegRowReader> reader;
  int x = 0;  ///< left edge on the canvas
  int y = 0;  ///< top edge on the canvas
};

/// Turns a codec's false result into the raised error carrying its message.
template <class Codec>
void ThrowIfFailed(bool ok, const Codec& codec) {
  if (!ok) throw Error(codec.Message());
}

}  // namespace

void Powerpoint1::CombineImages(const std::string& outputPath, bool vertical,
                                const std::vector<std::string>& jpegList) {
  ErrorTrap trap(ui_, "Powerpoint1", "CombineImages");
  std::int64_t widest = 0, tallest = 0, sumWidths = 0, sumHeights = 0;

  // Lay the pictures out: only their headers are read here.
  std::vector<Picture> pictures;
  for (const std::string& path : jpegList) {
    auto reader = std::make_unique<JpegRowReader>();
    if (!trap.Step(116, [&] { ThrowIfFailed(reader->Open(path), *reader); })) {
      // Left out: no picture is painted twice in its place.
      trap.Step(144, [&] { DeleteFileForce(ui_, path); });
      continue;
    }
    const int w = reader->Width();
    const int h = reader->Height();
    widest = std::max<std::int64_t>(widest, w);
    tallest = std::max<std::int64_t>(tallest, h);
    Picture picture{path, std::move(reader), 0, 0};
    if (!vertical) {
      picture.x = static_cast<int>(std::min<std::int64_t>(sumWidths, INT32_MAX));
      sumWidths += w;
    } else {
      picture.y = static_cast<int>(std::min<std::int64_t>(sumHeights, INT32_MAX));
      sumHeights += h;
    }
    pictures.push_back(std::move(picture));
  }

  const std::int64_t width = vertical ? widest : sumWidths;
  const std::int64_t height = vertical ? sumHeights + kBottomStripRows : tallest;

  // Paint and write in one pass, top to bottom.
  trap.Step(148, [&] {
    if (pictures.empty())
      throw Error("Cannot write the image " + outputPath + ": no slide picture could be read");
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    if (width > kLimit || height > kLimit)
      throw Error("Cannot write the image " + outputPath + ": " + std::to_string(width) + " x " +
                  std::to_string(height) + " pixels is larger than a PNG file can hold");
    PngStreamWriter png;
    ThrowIfFailed(png.Open(outputPath, static_cast<int>(width), static_cast<int>(height)), png);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3, kBackground);
    const auto writeRow = [&] { ThrowIfFailed(png.WriteRow(row.data()), png); };

    if (vertical) {
      for (Picture& picture : pictures) {
        const int w = picture.reader->Width();
        for (int y = 0; y < picture.reader->Height(); ++y) {
          ThrowIfFailed(picture.reader->ReadRow(row.data()), *picture.reader);
          std::fill(row.begin() + std::size_t(w) * 3, row.end(), kBackground);
          writeRow();
        }
        picture.reader.reset();
        DeleteFileForce(ui_, picture.path);
      }
      std::fill(row.begin(), row.end(), kBackground);
      for (int y = 0; y < kBottomStripRows; ++y) writeRow();
    } else {
      for (std::int64_t y = 0; y < height; ++y) {
        for (Picture& picture : pictures) {
          std::uint8_t* slice = row.data() + std::size_t(picture.x) * 3;
          if (y < picture.reader->Height()) {
            ThrowIfFailed(picture.reader->ReadRow(slice), *picture.reader);
          } else {
            std::fill(slice, slice + std::size_t(picture.reader->Width()) * 3, kBackground);
          }
        }
        writeRow();
      }
    }
    ThrowIfFailed(png.Finish(), png);
  });

  // Whatever was painted or not, no temporary picture stays behind.
  for (Picture& picture : pictures) {
    picture.reader.reset();
    if (FileExists(picture.path)) trap.Step(144, [&] { DeleteFileForce(ui_, picture.path); });
  }
}

}  // namespace qm
