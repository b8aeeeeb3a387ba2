#pragma once
// One opaque colour, as the joined images' canvas takes it.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm {

struct Rgb {
  std::uint8_t r = 255;
  std::uint8_t g = 255;
  std::uint8_t b = 255;

  /// The grey of level `level` on all three channels.
  static constexpr Rgb Grey(std::uint8_t level) { return {level, level, level}; }
  bool operator==(const Rgb&) const = default;
};

/// Paints `pixels` (R, G, B triples; a trailing partial pixel is left alone)
/// in `colour`: the canvas where no picture lies.
inline void FillRgb(std::vector<std::uint8_t>& pixels, Rgb colour) {
  for (std::size_t i = 0; i + 2 < pixels.size(); i += 3) {
    pixels[i] = colour.r;
    pixels[i + 1] = colour.g;
    pixels[i + 2] = colour.b;
  }
}

}  // namespace qm
