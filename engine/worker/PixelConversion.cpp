#include "engine/worker/PixelConversion.h"

#include <algorithm>
#include <cstddef>

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

void FitToHeight(Bitmap* bitmap, int height) {
  if (bitmap->height <= 0 || bitmap->width <= 0 || height <= 0 || bitmap->height == height) return;
  const std::size_t row = static_cast<std::size_t>(bitmap->width) * 3;
  const int drawn = bitmap->height;
  bitmap->pixels.resize(row * static_cast<std::size_t>(height));
  for (int y = drawn; y < height; ++y) {
    std::copy_n(bitmap->pixels.begin() + static_cast<std::ptrdiff_t>(row) * (drawn - 1), row,
                bitmap->pixels.begin() + static_cast<std::ptrdiff_t>(row) * y);
  }
  bitmap->height = height;
}

}  // namespace qm
