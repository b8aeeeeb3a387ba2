#pragma once
// Screen units shared by every part of the program.

namespace qm {

/// Twips per pixel at 96 pixels per inch (1440 twips per inch): window
/// positions, slide sizes and strip heights convert with this factor.
inline constexpr int kTwipsPerPixel = 15;

}  // namespace qm
