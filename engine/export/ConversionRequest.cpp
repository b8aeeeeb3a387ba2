#include "engine/export/ConversionRequest.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <tuple>

namespace qm {

namespace {

constexpr int kMaxSlide = 32767;  // slide numbers are 16-bit throughout

/// Reads one number of at most `most`; false when the message ends or the
/// number is larger (a front end refuses more, so the message is damaged).
bool GetAtMost(WireMessage& message, int most, int* value) {
  const std::uint32_t got = message.GetU32();
  if (!message.Ok() || got > static_cast<std::uint32_t>(most)) return false;
  *value = static_cast<int>(got);
  return true;
}

/// A slide number: digits only, 1 to kMaxSlide.
bool ReadSlideNumber(const std::string& text, int* number) {
  if (text.empty() || text.size() > 5) return false;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > kMaxSlide) return false;
  *number = value;
  return true;
}

}  // namespace

bool ConversionRequest::Wants(int n) const {
  if (slides.empty()) return true;
  for (const SlideRange& range : slides)
    if (n >= range.first && (range.last == 0 || n <= range.last)) return true;
  return false;
}

std::string ConversionRequest::SlidesText() const {
  std::string text;
  for (const SlideRange& range : slides) {
    if (!text.empty()) text += ",";
    text += std::to_string(range.first);
    if (range.last == 0)
      text += "-";
    else if (range.last != range.first)
      text += "-" + std::to_string(range.last);
  }
  return text;
}

namespace {

/// The pixel size `request` asks for, as Drawing says.
std::pair<int, int> PixelSize(const ConversionRequest& request, double widthPoints,
                              double heightPoints) {
  if (request.width > 0 || request.height > 0) return {request.width, request.height};
  if (widthPoints <= 0 || heightPoints <= 0) return {0, 0};
  if (request.scaleTo > 0)
    return widthPoints >= heightPoints ? std::pair<int, int>{request.scaleTo, 0}
                                       : std::pair<int, int>{0, request.scaleTo};
  if (request.dpi > 0) {
    const auto pixels = [&request](double points) {
      return std::max(1, static_cast<int>(std::lround(points / 72.0 * request.dpi)));
    };
    return {pixels(widthPoints), pixels(heightPoints)};
  }
  return {0, 0};
}

/// The bits of the word that carries the switches of a slide's extras.
constexpr std::uint32_t kNotesFlag = 1u;
constexpr std::uint32_t kStepsFlag = 2u;
constexpr std::uint32_t kFontsFlag = 4u;

}  // namespace

DrawRequest ConversionRequest::Drawing(double widthPoints, double heightPoints) const {
  DrawRequest drawing;
  std::tie(drawing.width, drawing.height) = PixelSize(*this, widthPoints, heightPoints);
  drawing.transparent = transparent;
  return drawing;
}

const char* ImageTypeName(ImageType type) {
  switch (type) {
    case ImageType::kJpeg:
      return "jpeg";
    case ImageType::kWebp:
      return "webp";
    case ImageType::kPng:
      break;
  }
  return "png";
}

std::optional<ImageType> ImageTypeNamed(const std::string& word) {
  if (word == "png") return ImageType::kPng;
  if (word == "jpeg" || word == "jpg") return ImageType::kJpeg;
  if (word == "webp") return ImageType::kWebp;
  return std::nullopt;
}

const char* ConversionRequest::Extension() const {
  switch (type) {
    case ImageType::kJpeg:
      return ".jpg";
    case ImageType::kWebp:
      return ".webp";
    case ImageType::kPng:
      break;
  }
  return ".png";
}

void ConversionRequest::PutTo(WireMessage& message) const {
  message.PutU32(static_cast<std::uint32_t>(slides.size()));
  for (const SlideRange& range : slides) {
    message.PutU32(static_cast<std::uint32_t>(range.first));
    message.PutU32(static_cast<std::uint32_t>(range.last));
  }
  message.PutU32(padNumbers ? 1 : 0);
  for (const int value : {dpi, scaleTo, width, height}) message.PutU32(static_cast<std::uint32_t>(value));
  message.PutU32(static_cast<std::uint32_t>(type));
  message.PutU32(static_cast<std::uint32_t>(quality));
  message.PutU32(skipExisting ? 1 : 0);
  message.PutU32(skipHidden ? 1 : 0);
  for (const int value : {gridColumns, gridRows, gap}) message.PutU32(static_cast<std::uint32_t>(value));
  message.PutU32(static_cast<std::uint32_t>(background.r) << 16 | background.g << 8 | background.b);
  message.PutU32(transparent ? 1 : 0);
  message.PutU32((notes ? kNotesFlag : 0u) | (steps ? kStepsFlag : 0u) |
                 (failOnMissingFonts ? kFontsFlag : 0u));
}

bool ConversionRequest::GetFrom(WireMessage& message, ConversionRequest* request) {
  ConversionRequest read;
  const std::uint32_t count = message.GetU32();
  if (!message.Ok() || count > kMaxSlideRanges) return false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t first = message.GetU32();
    const std::uint32_t last = message.GetU32();
    if (!message.Ok() || first < 1 || first > kMaxSlide || last > kMaxSlide ||
        (last != 0 && last < first))
      return false;
    read.slides.push_back({static_cast<int>(first), static_cast<int>(last)});
  }
  const std::uint32_t pad = message.GetU32();
  if (!message.Ok() || pad > 1) return false;
  read.padNumbers = pad == 1;
  if (!GetAtMost(message, kMaxDpi, &read.dpi)) return false;
  for (int* value : {&read.scaleTo, &read.width, &read.height})
    if (!GetAtMost(message, kMaxSidePixels, value)) return false;
  const std::uint32_t type = message.GetU32();
  if (!message.Ok() || type > static_cast<std::uint32_t>(ImageType::kWebp)) return false;
  read.type = static_cast<ImageType>(type);
  if (!GetAtMost(message, kMaxQuality, &read.quality)) return false;
  const std::uint32_t skip = message.GetU32();
  if (!message.Ok() || skip > 1) return false;
  read.skipExisting = skip == 1;
  const std::uint32_t hidden = message.GetU32();
  if (!message.Ok() || hidden > 1) return false;
  read.skipHidden = hidden == 1;
  if (!GetAtMost(message, kMaxGridCells, &read.gridColumns) ||
      !GetAtMost(message, kMaxGridCells, &read.gridRows) || !GetAtMost(message, kMaxGap, &read.gap))
    return false;
  const std::uint32_t colour = message.GetU32();
  if (!message.Ok() || colour > 0xFFFFFF) return false;
  read.background = {static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
                     static_cast<std::uint8_t>(colour)};
  const std::uint32_t transparent = message.GetU32();
  if (!message.Ok() || transparent > 1) return false;
  read.transparent = transparent == 1;
  const std::uint32_t extras = message.GetU32();
  if (!message.Ok() || (extras & ~(kNotesFlag | kStepsFlag | kFontsFlag)) != 0) return false;
  read.notes = (extras & kNotesFlag) != 0;
  read.steps = (extras & kStepsFlag) != 0;
  read.failOnMissingFonts = (extras & kFontsFlag) != 0;
  *request = std::move(read);
  return true;
}

std::optional<std::vector<SlideRange>> ParseSlideList(const std::string& text, std::string* error) {
  std::vector<SlideRange> ranges;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    SlideRange range;
    const std::size_t dash = part.find('-');
    bool ok = false;
    if (dash == std::string::npos) {
      ok = ReadSlideNumber(part, &range.first);
      range.last = range.first;
    } else {
      ok = ReadSlideNumber(part.substr(0, dash), &range.first) &&
           (dash + 1 == part.size() || ReadSlideNumber(part.substr(dash + 1), &range.last));
      if (ok && range.last != 0 && range.last < range.first) {
        *error = "The slide range \"" + part + "\" ends before it starts.";
        return std::nullopt;
      }
    }
    if (!ok) {
      *error = "The slide list \"" + text + "\" cannot be read at \"" + part +
               "\": use slide numbers from 1 to 32767 and ranges, as in 1,3-5,8-.";
      return std::nullopt;
    }
    ranges.push_back(range);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  // Refused here, not by the job that would not read it.
  if (ranges.size() > kMaxSlideRanges) {
    *error = "The slide list names " + std::to_string(ranges.size()) + " ranges; at most " +
             std::to_string(kMaxSlideRanges) + " can be asked for (neighbouring slides make one range, as in 1-4097).";
    return std::nullopt;
  }
  return ranges;
}

}  // namespace qm
