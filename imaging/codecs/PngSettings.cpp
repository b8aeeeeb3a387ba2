#include "imaging/codecs/PngSettings.h"

#include <cstddef>
#include <cstring>

namespace qm {

namespace {

/// Share of sampled pixels that repeat their left neighbour exactly.
double RepeatedPixelShare(const unsigned char* rgb, int width, int height) {
  if (width < 2 || height < 1) return 1.0;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  std::size_t repeated = 0, sampled = 0;
  // Every eighth row is plenty to tell flat pictures from photos.
  for (int y = 0; y < height; y += 8) {
    const unsigned char* row = rgb + rowBytes * static_cast<std::size_t>(y);
    for (int x = 1; x < width; ++x) repeated += std::memcmp(row + 3 * x, row + 3 * (x - 1), 3) == 0;
    sampled += static_cast<std::size_t>(width - 1);
  }
  return static_cast<double>(repeated) / static_cast<double>(sampled);
}

}  // namespace

PngSettings PngSettings::ForPicture(const unsigned char* rgb, int width, int height) const {
  PngSettings chosen = *this;
  if (adaptToPicture && RepeatedPixelShare(rgb, width, height) >= 0.75) {
    chosen.filters = kFilterNone;
    chosen.compressionLevel = flatLevel;
  }
  return chosen;
}

}  // namespace qm
