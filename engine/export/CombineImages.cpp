// Joining slide pictures into one PNG, streamed row by row.
//
// However many pictures there are, at most one of them is open at a time:
// the layout reads each header and closes the file again; a top-to-bottom
// join then reads the pictures one after the other, and a left-to-right join
// reads them band by band (SideBySideRows). Memory is one canvas row for a
// top-to-bottom join, and the band (64 MiB, or one canvas row when a row is
// larger) for a left-to-right one, plus one JPEG decoder.

#include <cstdint>
#include <functional>
#include <limits>

#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "base/Paths.h"
#include "base/Units.h"
#include "engine/export/JoinedImage.h"
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

/// Takes one row of the joined image; false when the join is to stop.
using RowSink = std::function<bool(const std::uint8_t*)>;

struct CanvasSize {
  std::int64_t width = 0;
  std::int64_t height = 0;
};

/// Places `pictures` one after another, down (`vertical`) or across, and
/// gives the canvas that holds them (with the strip below a downward join).
CanvasSize LayOutInLine(std::vector<PlacedPicture>& pictures, bool vertical) {
  std::int64_t widest = 0, tallest = 0, sumWidths = 0, sumHeights = 0;
  for (PlacedPicture& picture : pictures) {
    widest = std::max<std::int64_t>(widest, picture.width);
    tallest = std::max<std::int64_t>(tallest, picture.height);
    if (!vertical) {
      picture.x = static_cast<int>(std::min<std::int64_t>(sumWidths, INT32_MAX));
      sumWidths += picture.width;
    } else {
      picture.y = static_cast<int>(std::min<std::int64_t>(sumHeights, INT32_MAX));
      sumHeights += picture.height;
    }
  }
  return vertical ? CanvasSize{widest, sumHeights + kBottomStripRows} : CanvasSize{sumWidths, tallest};
}

/// Reads `pictures` one after the other into rows `width` wide, padded with
/// the background, then the strip below. False when `writeRow` stopped it.
bool PaintDown(const std::vector<PlacedPicture>& pictures, std::int64_t width,
               const RowSink& writeRow) {
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3, kBackground);
  JpegRowReader reader;
  for (const PlacedPicture& picture : pictures) {
    ThrowIfFailed(reader.Open(picture.path));
    if (reader.Width() != picture.width || reader.Height() != picture.height)
      throw Error("Cannot read the JPEG image \"" + picture.path +
                  "\": its size changed while the joined image was being made.");
    for (int y = 0; y < picture.height; ++y) {
      ThrowIfFailed(reader.ReadRow(row.data()));
      std::fill(row.begin() + std::size_t(picture.width) * 3, row.end(), kBackground);
      if (!writeRow(row.data())) return false;
    }
    reader.Close();  // deleted later: a later slot may paint it again
  }
  std::fill(row.begin(), row.end(), kBackground);
  for (int y = 0; y < kBottomStripRows; ++y)
    if (!writeRow(row.data())) return false;
  return true;
}

/// Reads `pictures`, placed side by side, band by band into the canvas's
/// rows. A wide canvas passes them through a scratch file in
/// `scratchFolder`. False when `writeRow` stopped it.
bool PaintAcross(const std::vector<PlacedPicture>& pictures, CanvasSize canvas,
                 const std::string& scratchFolder, const RowSink& writeRow) {
  SideBySideRows rows(pictures, static_cast<int>(canvas.width), static_cast<int>(canvas.height),
                      Rgb::Grey(kBackground), SideBySideRows::kDefaultBandBytes, scratchFolder);
  for (std::int64_t y = 0; y < canvas.height; ++y) {
    const std::uint8_t* row = nullptr;
    ThrowIfFailed(rows.NextRow(&row));
    if (!writeRow(row)) return false;
  }
  return true;
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
  // Lay the pictures out: only their headers are read here, each file closed again.
  std::vector<PlacedPicture> pictures = SlotPictures(trap, jpegList);
  const CanvasSize canvas = LayOutInLine(pictures, vertical);

  // Paint and write in one pass, top to bottom.
  trap.Step(148, [&] {
    PngStreamWriter png;
    OpenJoinedImage(png, outputPath, !pictures.empty(), canvas.width, canvas.height);
    // A cancel during the join abandons the file under way: nothing is written.
    const RowSink writeRow = [&](const std::uint8_t* row) {
      if (Cancelled()) return false;
      ThrowIfFailed(png.WriteRow(row));
      return true;
    };
    const bool whole = vertical ? PaintDown(pictures, canvas.width, writeRow)
                                : PaintAcross(pictures, canvas, ScratchFolderFor(outputPath), writeRow);
    if (!whole) return png.Abandon();
    ThrowIfFailed(png.Finish());
    written_.push_back(outputPath);
  });

  // Whatever was painted or not, no temporary picture stays behind.
  for (const PlacedPicture& picture : pictures) {  // a repeated one is gone at its second visit
    if (FileExists(picture.path)) trap.Step(144, [&] { DeleteFileForce(ui_, picture.path); });
  }
}

}  // namespace qm
