#include "engine/worker/SlideSizeFit.h"

#include <algorithm>

namespace qm {

namespace {

/// `value` / `divisor` to the nearest, halves away from zero, for value >= 0.
std::int64_t RoundedQuotient(std::int64_t value, std::int64_t divisor) {
  return (value + divisor / 2) / divisor;
}

}  // namespace

std::int64_t SlideSizeFit::HundredthsFromEmu(std::int64_t emu) {
  return emu < 0 ? -RoundedQuotient(-emu, kEmuPerStep) : RoundedQuotient(emu, kEmuPerStep);
}

std::int64_t SlideSizeFit::TwipsFromHundredths(std::int64_t hundredths) {
  // 1440 twips to the inch, 2540 hundredths of a millimetre to the inch; the
  // page LibreOffice reports counts both its edges, one hundredth more (a
  // 25400 x 19050 page, 10 x 7.5 in, is reported as 14401 x 10801 twips).
  const std::int64_t scaled = (hundredths + 1) * 72;
  return scaled < 0 ? -((-scaled * 2 + 127) / 254) : (scaled * 2 + 127) / 254;
}

std::pair<std::int64_t, std::int64_t> SlideSizeFit::Twips() const {
  return {TwipsFromHundredths(HundredthsFromEmu(widthEmu)),
          TwipsFromHundredths(HundredthsFromEmu(heightEmu))};
}

bool SlideSizeFit::RendererDraws(int width, int height) const {
  const std::int64_t wide = HundredthsFromEmu(widthEmu);
  const std::int64_t high = HundredthsFromEmu(heightEmu);
  if (wide <= 0 || high <= 0 || width <= 0 || height <= 0) return false;
  // The renderer keeps the long side asked for and derives the other one,
  // rounding down, in floating point as LibreOffice does.
  if (high > wide) {
    const double ratio = static_cast<double>(wide) / static_cast<double>(high);
    return static_cast<std::int64_t>(height * ratio) == width;
  }
  const double ratio = static_cast<double>(high) / static_cast<double>(wide);
  return static_cast<std::int64_t>(width * ratio) == height;
}

std::optional<SlideSizeFit> SlideSizeFit::NearestDrawnAt(int width, int height) const {
  if (widthEmu <= 0 || heightEmu <= 0) return std::nullopt;
  if (RendererDraws(width, height)) return *this;
  // A nudge starts from the size LibreOffice reads, so that each step is one
  // hundredth of a millimetre of its page.
  const std::int64_t wide = HundredthsFromEmu(widthEmu) * kEmuPerStep;
  const std::int64_t high = HundredthsFromEmu(heightEmu) * kEmuPerStep;
  // Steps that move the far edge of the side by at most kMaxShiftPixels.
  const auto maxSteps = [](int pixels, std::int64_t emu) {
    return static_cast<int>(kMaxShiftPixels * static_cast<double>(HundredthsFromEmu(emu)) / pixels);
  };
  const int wideSteps = maxSteps(width, widthEmu);
  const int highSteps = maxSteps(height, heightEmu);
  for (int steps = 1; steps <= std::max(wideSteps, highSteps); ++steps) {
    const std::int64_t by = steps * kEmuPerStep;
    for (const SlideSizeFit candidate : {SlideSizeFit{widthEmu, high + by},
                                         SlideSizeFit{widthEmu, high - by},
                                         SlideSizeFit{wide - by, heightEmu},
                                         SlideSizeFit{wide + by, heightEmu}}) {
      const bool widthMoved = candidate.widthEmu != widthEmu;
      if (steps > (widthMoved ? wideSteps : highSteps)) continue;
      if (candidate.widthEmu > 0 && candidate.heightEmu > 0 &&
          candidate.RendererDraws(width, height))
        return candidate;
    }
  }
  return std::nullopt;
}

}  // namespace qm
