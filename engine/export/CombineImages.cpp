// Joining slide pictures into one PNG, streamed row by row.
//
// However many pictures there are, at most one of them is open at a time:
// the layout reads each header and closes the file again; a top-to-bottom
// join then reads the pictures one after the other, and a left-to-right join
// reads them band by band (SideBySideRows). Memory is one canvas row for a
// top-to-bottom join, and the band (64 MiB, or one canvas row when a row is
// larger) for a left-to-right one, plus one JPEG decoder.

#include <cstdint>
#include <limits>

#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "base/Paths.h"
#include "base/Status.h"
#include "base/Units.h"
#include "imaging/codecs/PngStreamWriter.h"
#include "engine/export/Powerpoint1.h"
#include "imaging/codecs/JpegRowReader.h"
#include "imaging/codecs/PngStreamWriter.h"
#include "imaging/stitch/PlacedPicture.h"
#include "imaging/stitch/SideBySideRows.h"

namespace qm {

namespace {

/// The canvas background: the system window colour.
constexpr std::uint8_t kBackground = 255;
/// 50 twips at 15 twips per pixel, added below a top-to-bottom join.
constexpr int kBottomStripRows = 50 / kTwipsPerPixel;

/// Turns a codec's failure into the raised error carrying its message.
void ThrowIfFailed(const Status& status) {
  if (!status.Ok()) throw Error(status.Message());
}

}  // namespace

std::vector<PlacedPicture> Powerpoint1::SlotPictures(ErrorTrap& trap,
                                                     const std::vector<std::string>& jpegList) {
  std::vector<PlacedPicture> pictures;
  JpegRowReader reader;
  for (const std::string& path : jpegList) {
    if (trap.Step(116, [&] { ThrowIfFailed(reader.Open(path)); })) {
      pictures.push_back({path, 0, 0, reader.Width(), reader.Height()});
      reader.Close();
      continue;
    }
    trap.Step(144, [&] { DeleteFileForce(ui_, path); });
    // The slide keeps its slot: the picture before it is painted there
    // again, so every later slide stays in its place. Before the first
    // picture there is none to paint, and the slot takes no room.
    if (!pictures.empty()) pictures.push_back(pictures.back());
  }
  return pictures;
}

void Powerpoint1::CombineImages(const std::string& outputPath, bool vertical,
                                const std::vector<std::string>& jpegList) {
  ErrorTrap trap(ui_, "Powerpoint1", "CombineImages");

  // A cancelled join writes nothing; it only deletes the temporary pictures.
  if (Cancelled()) {
    for (const std::string& path : jpegList)
      if (FileExists(path)) trap.Step(144, [&] { DeleteFileForce(ui_, path); });
    return;
  }

  if (request_.gridColumns > 0) {
    CombineGrid(trap, outputPath, jpegList);
    return;
  }
  std::int64_t widest = 0, tallest = 0, sumWidths = 0, sumHeights = 0;

  // Lay the pictures out: only their headers are read here, each file closed again.
  std::vector<PlacedPicture> pictures;
  JpegRowReader reader;
  for (PlacedPicture picture : SlotPictures(trap, jpegList)) {
    widest = std::max<std::int64_t>(widest, picture.width);
    tallest = std::max<std::int64_t>(tallest, picture.height);
    const int w = picture.width;
    const int h = picture.height;
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
    ThrowIfFailed(png.Open(outputPath, static_cast<int>(width), static_cast<int>(height)));
    // A cancel during the join abandons the file under way: nothing is written.
    const auto writeRow = [&](const std::uint8_t* row) {
      if (Cancelled()) return false;
      ThrowIfFailed(png.WriteRow(row));
      return true;
    };

    if (vertical) {
      std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3, kBackground);
      for (PlacedPicture& picture : pictures) {
        ThrowIfFailed(reader.Open(picture.path));
        if (reader.Width() != picture.width || reader.Height() != picture.height)
          throw Error("Cannot read the JPEG image \"" + picture.path +
                      "\": its size changed while the joined image was being made.");
        for (int y = 0; y < picture.height; ++y) {
          ThrowIfFailed(reader.ReadRow(row.data()));
          std::fill(row.begin() + std::size_t(picture.width) * 3, row.end(), kBackground);
          if (!writeRow(row.data())) return png.Abandon();
        }
        reader.Close();  // deleted below: a later slot may paint it again
      }
      std::fill(row.begin(), row.end(), kBackground);
      for (int y = 0; y < kBottomStripRows; ++y)
        if (!writeRow(row.data())) return png.Abandon();
    } else {
      // A wide canvas passes its pictures through a scratch file beside the
      // output, where the joined image itself is going.
      SideBySideRows rows(pictures, static_cast<int>(width), static_cast<int>(height), Rgb::Grey(kBackground),
                          SideBySideRows::kDefaultBandBytes,
                          FolderPart(outputPath).empty() ? "." : FolderPart(outputPath));
      for (std::int64_t y = 0; y < height; ++y) {
        const std::uint8_t* row = nullptr;
        ThrowIfFailed(rows.NextRow(&row));
        if (!writeRow(row)) return png.Abandon();
      }
    }
    ThrowIfFailed(png.Finish());
    written_.push_back(outputPath);
  });

  // Whatever was painted or not, no temporary picture stays behind.
  reader.Close();
  for (const PlacedPicture& picture : pictures) {  // a repeated one is gone at its second visit
    if (FileExists(picture.path)) trap.Step(144, [&] { DeleteFileForce(ui_, picture.path); });
  }
}

}  // namespace qm
