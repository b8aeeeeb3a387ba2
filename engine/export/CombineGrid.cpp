// Joining slide pictures into a grid (the all-slides mode's --grid), streamed
// a grid row at a time: memory is one band of one grid row (SideBySideRows)
// whatever the number of slides.

#include <algorithm>
#include <cstdint>

#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "base/Paths.h"
#include "engine/export/JoinedImage.h"
#include "engine/export/Powerpoint1.h"
#include "imaging/codecs/PngStreamWriter.h"
#include "imaging/stitch/SideBySideRows.h"

namespace qm {

namespace {

/// The report of a grid too small for its `count` slides.
std::string LeftOutOfGrid(std::int64_t columns, std::int64_t rows, std::size_t count,
                          const std::string& outputPath) {
  const std::size_t first = static_cast<std::size_t>(columns * rows) + 1;
  return "The grid of " + std::to_string(columns) + " x " + std::to_string(rows) + " holds " +
         std::to_string(columns * rows) + " slides of " + std::to_string(count) + ": " +
         (first == count ? "slide " + std::to_string(first) + " was"
                         : "slides " + std::to_string(first) + " to " + std::to_string(count) +
                               " were") +
         " left out of " + outputPath;
}

}  // namespace

void Powerpoint1::CombineGrid(ErrorTrap& trap, const std::string& outputPath,
                              const std::vector<std::string>& jpegList) {
  std::vector<PlacedPicture> pictures = SlotPictures(trap, jpegList);
  const std::int64_t columns = request_.gridColumns;
  const std::int64_t needed = (static_cast<std::int64_t>(pictures.size()) + columns - 1) / columns;
  const std::int64_t rows = request_.gridRows > 0 ? request_.gridRows : std::max<std::int64_t>(needed, 1);
  if (static_cast<std::int64_t>(pictures.size()) > columns * rows) {
    trap.Report(148, LeftOutOfGrid(columns, rows, pictures.size(), outputPath));
    pictures.resize(static_cast<std::size_t>(columns * rows));
  }
  std::int64_t cellWidth = 0, cellHeight = 0;
  for (const PlacedPicture& picture : pictures) {
    cellWidth = std::max<std::int64_t>(cellWidth, picture.width);
    cellHeight = std::max<std::int64_t>(cellHeight, picture.height);
  }
  const std::int64_t gap = request_.gap;
  const std::int64_t width = columns * cellWidth + (columns - 1) * gap;
  const std::int64_t height = rows * cellHeight + (rows - 1) * gap;

  trap.Step(148, [&] {
    PngStreamWriter png;
    OpenJoinedImage(png, outputPath, !pictures.empty(), width, height);
    const std::string scratch = ScratchFolderFor(outputPath);
    // The gap between grid rows, in the background colour.
    std::vector<std::uint8_t> gapRow(static_cast<std::size_t>(width) * 3);
    FillRgb(gapRow, request_.background);
    for (std::int64_t row = 0; row < rows; ++row) {
      std::vector<PlacedPicture> cells;
      for (std::int64_t column = 0; column < columns; ++column) {
        const std::size_t index = static_cast<std::size_t>(row * columns + column);
        if (index >= pictures.size()) break;
        PlacedPicture cell = pictures[index];
        cell.x = static_cast<int>(column * (cellWidth + gap));
        cell.y = 0;
        cells.push_back(cell);
      }
      SideBySideRows band(cells, static_cast<int>(width), static_cast<int>(cellHeight),
                          request_.background, SideBySideRows::kDefaultBandBytes, scratch);
      for (std::int64_t y = 0; y < cellHeight; ++y) {
        const std::uint8_t* line = nullptr;
        ThrowIfFailed(band.NextRow(&line));
        if (Cancelled()) return png.Abandon();
        ThrowIfFailed(png.WriteRow(line));
      }
      for (std::int64_t y = 0; row + 1 < rows && y < gap; ++y) ThrowIfFailed(png.WriteRow(gapRow.data()));
    }
    ThrowIfFailed(png.Finish());
    written_.push_back(outputPath);
  });

  // Whatever was painted or not, no temporary picture stays behind.
  for (const std::string& path : jpegList)
    if (!path.empty() && FileExists(path)) trap.Step(144, [&] { DeleteFileForce(ui_, path); });
}

}  // namespace qm
