#pragma once
// The five save modes: the value the run dispatches on, and the text of each
// as the window's selector shows it.

#include <string>

namespace qm {

inline constexpr const char* kModeFirstSlide = "Save first slide as one image";
inline constexpr const char* kModeSecondSlide = "Save second slide as one image";
inline constexpr const char* kModeXSlide = "Save x slide as one image";
inline constexpr const char* kModeEachSlide = "Save each slide as separate image for all slides in file";
inline constexpr const char* kModeAllSlides = "Save all slides as one big image";

/// What a run writes of each file; kNone when no mode is chosen (the run then
/// writes nothing).
enum class SaveMode { kNone, kEachSlide, kAllSlides, kFirstSlide, kSecondSlide, kXSlide };

/// The mode whose selector text is exactly `text`; kNone for any other text.
inline SaveMode SaveModeOfText(const std::string& text) {
  if (text == kModeEachSlide) return SaveMode::kEachSlide;
  if (text == kModeAllSlides) return SaveMode::kAllSlides;
  if (text == kModeFirstSlide) return SaveMode::kFirstSlide;
  if (text == kModeSecondSlide) return SaveMode::kSecondSlide;
  if (text == kModeXSlide) return SaveMode::kXSlide;
  return SaveMode::kNone;
}

}  // namespace qm
