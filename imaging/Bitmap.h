#pragma once
// An in-memory picture: the role of a bitmap handle and of a picture box's image.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm {

/// Pictures are written at 96 dots per inch: the resolution field of BMP and
/// PNG files in pixels per metre.
inline constexpr std::uint32_t kPixelsPerMetreAt96Dpi = 3780;

/// A picture in memory, rows top to bottom with no row padding: `channels` 3
/// holds opaque R, G, B pixels, `channels` 4 holds R, G, B, A with straight
/// (not premultiplied) alpha, for a slide drawn without its background. A
/// bitmap with width or height 0 is empty and holds no pixels.
struct Bitmap {
  int width = 0;
  int height = 0;
  int channels = 3;  ///< 3 (RGB) or 4 (RGBA)
  std::vector<std::uint8_t> pixels;  ///< width * height * channels bytes

  Bitmap() = default;
  /// A bitmap of the given size, every pixel black (and, with 4 channels,
  /// fully transparent).
  Bitmap(int w, int h, int c = 3)
      : width(w), height(h), channels(c), pixels(static_cast<std::size_t>(w) * h * c) {}

  bool Empty() const { return width <= 0 || height <= 0; }
  bool HasAlpha() const { return channels == 4; }
  /// True when the bitmap holds pixels, 3 or 4 channels and exactly as many
  /// bytes as its size says; what every writer checks before reading rows.
  bool IsConsistent() const {
    return !Empty() && (channels == 3 || channels == 4) && pixels.size() == RowBytes() * height;
  }
  /// The stride: bytes from one row to the next.
  std::size_t RowBytes() const { return static_cast<std::size_t>(width) * channels; }
  std::uint8_t* Row(int y) { return pixels.data() + RowBytes() * y; }
  const std::uint8_t* Row(int y) const { return pixels.data() + RowBytes() * y; }
};

/// `picture` as opaque RGB: itself when it has no alpha, else composited over
/// white into `*scratch` (which is returned). For the formats and joins that
/// hold no alpha.
inline const Bitmap& OpaqueOverWhite(const Bitmap& picture, Bitmap* scratch) {
  if (!picture.HasAlpha()) return picture;
  *scratch = Bitmap(picture.width, picture.height);
  const std::uint8_t* in = picture.pixels.data();
  std::uint8_t* out = scratch->pixels.data();
  const std::size_t count = static_cast<std::size_t>(picture.width) * picture.height;
  for (std::size_t i = 0; i < count; ++i, in += 4, out += 3) {
    const unsigned alpha = in[3];
    for (int c = 0; c < 3; ++c)
      out[c] = static_cast<std::uint8_t>((in[c] * alpha + 255u * (255u - alpha) + 127u) / 255u);
  }
  return *scratch;
}

}  // namespace qm
