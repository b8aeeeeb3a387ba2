#pragma once
// Nudging a deck's stored slide size onto a size LibreOffice's slide renderer
// draws exactly.

#include <cstdint>
#include <optional>
#include <utility>

namespace qm {

/// A slide size as a deck stores it (English Metric Units, 914400 to the
/// inch), with the arithmetic LibreOffice applies to it.
///
/// LibreOffice keeps a page in hundredths of a millimetre (rounded from the
/// stored size), reports it in twips (one hundredth larger, rounded again:
/// its rectangles count both edges), and its slide renderer,
/// asked for a picture W pixels wide, draws it W x floor(W x height / width)
/// (a page taller than wide: floor(H x width / height) x H). PowerPoint's
/// default 13.333 x 7.5 in is 33867 x 19050 hundredths, so at 1280 pixels the
/// renderer offers 719 rows where the slide has 720. A page one hundredth of
/// a millimetre taller (19051) gives 720, and the picture is the same: the
/// page is stretched over the picture either way, and 0.01 mm of 190 mm moves
/// nothing by a visible fraction of a pixel. The height is nudged before the
/// width: a page made narrower leaves the renderer's last column a shade
/// lighter at the top.
struct SlideSizeFit {
  std::int64_t widthEmu = 0;
  std::int64_t heightEmu = 0;

  /// One hundredth of a millimetre in English Metric Units.
  static constexpr std::int64_t kEmuPerStep = 360;
  /// The farthest a nudge may move the slide's far edge in the picture, in
  /// pixels: the renderer stretches the nudged page over the picture as the
  /// export stretches the stored one, and a tenth of a pixel changes no
  /// pixel by more than anti-aliasing's rounding. A size that needs more
  /// (at 1000 pixels, a 16:9 slide is 562.5 rows, half a pixel from either
  /// whole number) is the export's.
  static constexpr double kMaxShiftPixels = 0.1;

  /// Hundredths of a millimetre, as LibreOffice reads a stored size (to the
  /// nearest, halves away from zero).
  static std::int64_t HundredthsFromEmu(std::int64_t emu);
  /// Twips, as LibreOffice reports a page of `hundredths` (one hundredth
  /// more, to the nearest).
  static std::int64_t TwipsFromHundredths(std::int64_t hundredths);

  /// The size LibreOffice reports for this slide, in twips.
  std::pair<std::int64_t, std::int64_t> Twips() const;

  /// True when the slide renderer draws this slide at exactly `width` x
  /// `height` pixels.
  bool RendererDraws(int width, int height) const;

  /// The stored size nearest to this one (whole steps of kEmuPerStep, on one
  /// side only, moving that side's far edge at most kMaxShiftPixels in a
  /// `width` x `height` picture) at which the slide renderer draws exactly
  /// `width` x `height`; this size itself when it already does; nullopt when
  /// none is near enough or the size is not a slide's.
  std::optional<SlideSizeFit> NearestDrawnAt(int width, int height) const;

  bool operator==(const SlideSizeFit&) const = default;
};

}  // namespace qm
