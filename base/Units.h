#pragma once
// Screen units shared by every part of the program.

namespace qm {

/// Twips per pixel at 96 pixels per inch (1440 twips per inch): window
/// positions, slide sizes and strip heights convert with this factor.
inline constexpr int kTwipsPerPixel = 15;

/// Twips to whole pixels at 96 dpi, to the nearest pixel, halves up: the
/// window's geometry and the default slide size alike.
constexpr long PixelsFromTwips(long twips) {
  return (twips * 2 + kTwipsPerPixel) / (2 * kTwipsPerPixel);
}

}  // namespace qm
