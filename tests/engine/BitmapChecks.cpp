#include "tests/engine/BitmapChecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "imaging/codecs/BmpFile.h"

namespace qm::test {

Bitmap LoadBitmap(const std::string& path) {
  Bitmap bitmap;
  const Status read = ReadBmpFile(path, &bitmap);
  if (!read.Ok()) {
    ADD_FAILURE() << "cannot read the bitmap " << path << ": " << read.Message();
    return Bitmap();
  }
  return bitmap;
}

int ColourDistance(const Bitmap& bitmap, int x, int y, const Rgb& colour) {
  const std::uint8_t* pixel = bitmap.Row(y) + 3 * x;
  int worst = 0;
  for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(pixel[c] - colour[c]));
  return worst;
}

EdgeReport WorstEdgePixel(const Bitmap& bitmap, const Rgb& colour) {
  EdgeReport report;
  auto visit = [&](int x, int y) {
    const int distance = ColourDistance(bitmap, x, y, colour);
    if (distance > report.worst) {
      const std::uint8_t* p = bitmap.Row(y) + 3 * x;
      report.worst = distance;
      report.where = "(" + std::to_string(x) + ", " + std::to_string(y) +
                     ") = " + std::to_string(p[0]) + "," + std::to_string(p[1]) + "," +
                     std::to_string(p[2]);
    }
  };
  for (int x = 0; x < bitmap.width; ++x) {
    visit(x, 0);
    visit(x, bitmap.height - 1);
  }
  for (int y = 0; y < bitmap.height; ++y) {
    visit(0, y);
    visit(bitmap.width - 1, y);
  }
  return report;
}

int WorstSamplePoint(const Bitmap& bitmap, const Rgb& colour, double inset) {
  const int left = static_cast<int>(bitmap.width * inset);
  const int top = static_cast<int>(bitmap.height * inset);
  const int right = bitmap.width - 1 - left;
  const int bottom = bitmap.height - 1 - top;
  int worst = 0;
  for (const auto& [x, y] : {std::pair{left, top}, std::pair{right, top}, std::pair{left, bottom},
                             std::pair{right, bottom}}) {
    worst = std::max(worst, ColourDistance(bitmap, x, y, colour));
  }
  return worst;
}

}  // namespace qm::test
