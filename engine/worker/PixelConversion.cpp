#include "engine/worker/PixelConversion.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace qm {

namespace {

inline std::uint8_t OverWhite(unsigned colour, unsigned alpha) {
  const unsigned value = colour + 255u - alpha;  // premultiplied: colour <= alpha
  return static_cast<std::uint8_t>(value > 255u ? 255u : value);
}

}  // namespace

void CompositePremultipliedOverWhite(const std::uint8_t* pixels, int width, int height, bool bgra,
                                     Bitmap* bitmap) {
  bitmap->width = width;
  bitmap->height = height;
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  bitmap->pixels.resize(count * 3);
  const int red = bgra ? 2 : 0;
  const int blue = bgra ? 0 : 2;
  std::uint8_t* out = bitmap->pixels.data();
  for (std::size_t i = 0; i < count; ++i, pixels += 4, out += 3) {
    const unsigned alpha = pixels[3];
    if (alpha == 255u) {  // the common case: an opaque slide
      out[0] = pixels[red];
      out[1] = pixels[1];
      out[2] = pixels[blue];
    } else {
      out[0] = OverWhite(pixels[red], alpha);
      out[1] = OverWhite(pixels[1], alpha);
      out[2] = OverWhite(pixels[blue], alpha);
    }
  }
}

void StraightBgraInPlace(std::uint8_t* pixels, std::size_t count, bool bgra) {
  for (std::size_t i = 0; i < count; ++i, pixels += 4) {
    if (!bgra) std::swap(pixels[0], pixels[2]);
    const unsigned alpha = pixels[3];
    if (alpha == 255u) continue;
    for (int c = 0; c < 3; ++c) {
      // premultiplied: colour <= alpha, so the quotient fits a byte
      pixels[c] = alpha == 0u ? 0 : static_cast<std::uint8_t>(
                                        std::min(255u, (pixels[c] * 255u + alpha / 2) / alpha));
    }
  }
}

bool AllOpaque(const std::uint8_t* pixels, std::size_t count) {
  unsigned all = 255u;
  for (std::size_t i = 0; i < count; ++i) all &= pixels[4 * i + 3];
  return all == 255u;
}

}  // namespace qm
