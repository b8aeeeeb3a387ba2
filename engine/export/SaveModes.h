#pragma once
// The five save modes, identified by the exact text of the chosen entry.

namespace qm {

inline constexpr const char* kModeFirstSlide = "Save first slide as one image";
inline constexpr const char* kModeSecondSlide = "Save second slide as one image";
inline constexpr const char* kModeXSlide = "Save x slide as one image";
inline constexpr const char* kModeEachSlide = "Save each slide as separate image for all slides in file";
inline constexpr const char* kModeAllSlides = "Save all slides as one big image";

}  // namespace qm
