#include "imaging/codecs/PngSettings.h"

#include <cstddef>
#include <cstring>

namespace qm {

namespace {

/// Share of sampled pixels that repeat their left neighbour exactly.
double RepeatedPixelShare(const unsigned char* pixels, int width, int height, int channels) {
  if (width < 2 || height < 1) return 1.0;
  const std::size_t size = static_cast<std::size_t>(channels);
  const std::size_t rowBytes = static_cast<std::size_t>(width) * size;
  std::size_t repeated = 0, sampled = 0;
  // Every eighth row is plenty to tell flat pictures from photos.
  for (int y = 0; y < height; y += 8) {
    const unsigned char* row = pixels + rowBytes * static_cast<std::size_t>(y);
    for (std::size_t x = 1; x < static_cast<std::size_t>(width); ++x)
      repeated += std::memcmp(row + size * x, row + size * (x - 1), size) == 0;
    sampled += static_cast<std::size_t>(width - 1);
  }
  return static_cast<double>(repeated) / static_cast<double>(sampled);
}

}  // namespace

PngSettings PngSettings::ForPicture(const unsigned char* pixels, int width, int height,
                                    int channels) const {
  PngSettings chosen = *this;
  if (adaptToPicture && RepeatedPixelShare(pixels, width, height, channels) >= 0.75) {
    chosen.filters = kFilterNone;
    chosen.compressionLevel = flatLevel;
  }
  return chosen;
}

}  // namespace qm
