#pragma once
// How far one slide image is from another, for the benchmarks that compare
// our images with LibreOffice's.

#include <cmath>
#include <cstddef>

#include "imaging/Bitmap.h"

namespace qm {

/// Root-mean-square difference of two bitmaps over every channel, divided by
/// 255: 0 for equal pictures; 1 when the sizes differ or either is empty.
inline double NormalizedRmse(const Bitmap& a, const Bitmap& b) {
  if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size() ||
      a.pixels.empty())
    return 1;
  double sum = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) {
    const double d = static_cast<double>(a.pixels[i]) - static_cast<double>(b.pixels[i]);
    sum += d * d;
  }
  return std::sqrt(sum / static_cast<double>(a.pixels.size())) / 255.0;
}

}  // namespace qm
