#pragma once
// Checks on the bitmaps the renderer writes.

#include <string>

#include "imaging/Bitmap.h"
#include "tests/support/DeckCatalog.h"

namespace qm::test {

/// Reads a BMP file; fails the current test (and returns an empty bitmap)
/// when it cannot be read.
Bitmap LoadBitmap(const std::string& path);

/// Largest per-channel difference between `colour` and the pixel at (x, y).
int ColourDistance(const Bitmap& bitmap, int x, int y, const Rgb& colour);

/// The worst pixel on the four edges (every pixel of the first and last row
/// and column) compared with `colour`: its distance, and where it is as
/// "(x, y) = r,g,b". A page outline or stray border shows up here.
struct EdgeReport {
  int worst = 0;
  std::string where;
};
EdgeReport WorstEdgePixel(const Bitmap& bitmap, const Rgb& colour);

/// The largest distance from `colour` over the four sample points `inset`
/// of the way in from each corner.
int WorstSamplePoint(const Bitmap& bitmap, const Rgb& colour, double inset);

}  // namespace qm::test
