#pragma once
// What a run asks of every file beyond its save mode: which slides, and how
// the images are named.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/protocol/DrawRequest.h"
#include "engine/protocol/WireMessage.h"
#include "imaging/stitch/Rgb.h"

namespace qm {

/// Slides `first` to `last`, 1-based; `last` 0 runs to the deck's end.
struct SlideRange {
  int first = 1;
  int last = 0;
  bool operator==(const SlideRange&) const = default;
};

/// The image format of each slide's file.
enum class ImageType : std::uint32_t { kPng = 0, kJpeg = 1, kWebp = 2 };

/// The type's word on the command line and in the settings file: "png",
/// "jpeg" or "webp".
const char* ImageTypeName(ImageType type);
/// The type a word names ("png", "jpeg" or "jpg", "webp"); nullopt for any
/// other word.
std::optional<ImageType> ImageTypeNamed(const std::string& word);

/// One value that a front end fills, the batch run hands to the jobs with
/// every task, and the exporters act on. The default asks for what the
/// program does without options, so a front end that sets nothing (the
/// window) changes nothing.
struct ConversionRequest {
  /// The slides written in the each-slide mode; empty: every slide.
  std::vector<SlideRange> slides;
  /// Number slides with leading zeros to the width of the deck's slide
  /// count ("deck_Slide007.png" in a deck of 120), so names sort.
  bool padNumbers = false;
  /// The picture size. Nothing set: the slide size at 96 pixels to the inch.
  /// Else one of: `dpi` pixels to the inch; the long side `scaleTo` pixels
  /// (aspect kept); `width` and/or `height` (one alone keeps the aspect).
  int dpi = 0;
  int scaleTo = 0;
  int width = 0;
  int height = 0;
  /// The format of the images written one per slide (a joined image is
  /// always PNG), and the quality of a JPEG or WebP (1 to 100; 0: 90).
  ImageType type = ImageType::kPng;
  int quality = 0;
  /// Leave the slides' background out: PNG and WebP keep the transparency;
  /// a JPEG or a joined image lays the slide on white.
  bool transparent = false;
  /// Leave a deck alone when every image it would write exists and is newer
  /// than the deck.
  bool skipExisting = false;
  /// Leave hidden slides out of the each-slide mode (the slide show skips them).
  bool skipHidden = false;
  /// The all-slides mode as a grid: `gridColumns` pictures a row (0: the
  /// join runs down or right as the direction says) and at most `gridRows`
  /// rows (0: as many as the slides need), `gap` pixels between cells, the
  /// canvas `background` where no slide lies.
  int gridColumns = 0;
  int gridRows = 0;
  int gap = 0;
  Rgb background;
  /// Also write each slide's speaker notes beside its image, as
  /// `<base>_Slide<n>.txt` (UTF-8; empty where the slide has none).
  bool notes = false;
  /// In the each-slide mode, write a slide whose animations take clicks as
  /// one image per click state, `<base>_Slide<n>_Step<k>`, k from 0
  /// (before the first click) to its last click.
  bool steps = false;
  /// Count a deck that LibreOffice draws with fonts this machine lacks as
  /// failed, naming them, and write nothing for it.
  bool failOnMissingFonts = false;

  /// ".png", ".jpg" or ".webp".
  const char* Extension() const;
  /// The quality to encode with: `quality`, or 90 when none was given.
  int EncoderQuality() const { return quality > 0 ? quality : 90; }

  /// What to ask the renderer for, for slides of `widthPoints` x
  /// `heightPoints`: the size (0 x 0 for the default size, a 0 on one side
  /// to keep the aspect from the other) and the rest of how to draw.
  DrawRequest Drawing(double widthPoints, double heightPoints) const;

  /// True when slide `n` is asked for.
  bool Wants(int n) const;
  /// The selection as a person typed it ("1,3-5,8-"); "" for every slide.
  std::string SlidesText() const;

  void PutTo(WireMessage& message) const;
  /// Reads a request put by PutTo; false when it is missing or malformed.
  static bool GetFrom(WireMessage& message, ConversionRequest* request);

  bool operator==(const ConversionRequest&) const = default;
};

/// The largest values of a request's numbers: the resolution in pixels to
/// the inch, the pixel size of a side (width, height, long side), the
/// quality, a grid's columns and rows, the gap between its cells. Every front
/// end refuses more, and so does a request's decoder.
inline constexpr int kMaxDpi = 2400;
inline constexpr int kMaxSidePixels = 32767;
inline constexpr int kMaxQuality = 100;
inline constexpr int kMaxGridCells = 10000;
inline constexpr int kMaxGap = 10000;

/// The most ranges a slide list may name: more than anyone types. The list's
/// reader refuses more, and so does a request's decoder (a message that
/// claims more is damaged).
inline constexpr std::uint32_t kMaxSlideRanges = 4096;

/// Reads a slide list: numbers and ranges separated by commas, "1,3-5,8-"
/// (a range without an end runs to the last slide). nullopt, with a sentence
/// in `error`, for anything else: an empty part, 0, a range whose end comes
/// before its start, a number past 32767, more than kMaxSlideRanges ranges.
std::optional<std::vector<SlideRange>> ParseSlideList(const std::string& text, std::string* error);

}  // namespace qm
