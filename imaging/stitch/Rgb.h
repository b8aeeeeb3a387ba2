#pragma once
// One opaque colour, as the joined images' canvas takes it.

#include <cstdint>

namespace qm {

struct Rgb {
  std::uint8_t r = 255;
  std::uint8_t g = 255;
  std::uint8_t b = 255;

  /// The grey of level `level` on all three channels.
  static constexpr Rgb Grey(std::uint8_t level) { return {level, level, level}; }
  bool operator==(const Rgb&) const = default;
};

}  // namespace qm
