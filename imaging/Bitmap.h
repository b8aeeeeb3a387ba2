#pragma once
// An in-memory picture: the role of a bitmap handle and of a picture box's image.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm {

/// Pictures are written at 96 dots per inch: the resolution field of BMP and
/// PNG files in pixels per metre.
inline constexpr std::uint32_t kPixelsPerMetreAt96Dpi = 3780;

/// Opaque 24-bit colour pixels, rows top to bottom, each pixel R, G, B, with no
/// row padding. A bitmap with width or height 0 is empty and holds no pixels.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  ///< width * height * 3 bytes

  Bitmap() = default;
  /// A bitmap of the given size, every pixel black.
  Bitmap(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 3) {}

  bool Empty() const { return width <= 0 || height <= 0; }
  /// True when the bitmap holds pixels and exactly as many bytes as its size
  /// says (width * height * 3); what every writer checks before reading rows.
  bool IsConsistent() const { return !Empty() && pixels.size() == RowBytes() * height; }
  std::size_t RowBytes() const { return static_cast<std::size_t>(width) * 3; }
  std::uint8_t* Row(int y) { return pixels.data() + RowBytes() * y; }
  const std::uint8_t* Row(int y) const { return pixels.data() + RowBytes() * y; }
};

}  // namespace qm
