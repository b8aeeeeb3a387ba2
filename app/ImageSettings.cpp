#include "app/ImageSettings.h"

#include <string>

#include "app/SettingsStore.h"
#include "base/Error.h"
#include "base/WholeNumber.h"

namespace qm {

namespace {

constexpr const char* kImageType = "ImageType";
constexpr const char* kQuality = "Quality";
constexpr const char* kResolution = "Resolution";
constexpr const char* kScaleTo = "ScaleTo";
constexpr const char* kWidth = "Width";
constexpr const char* kHeight = "Height";
constexpr const char* kSlides = "Slides";
constexpr const char* kSkipHidden = "SkipHidden";
constexpr const char* kPadNumbers = "PadNumbers";
constexpr const char* kTransparent = "Transparent";

/// The stored whole number of `key` from 0 to `largest`; 0 for anything else.
int StoredNumber(const char* key, int largest) {
  return WholeNumber(SettingsStore::GetSetting(key, "0"), 0, largest).value_or(0);
}

bool StoredTruth(const char* key) {
  try {
    return TruthFromText(SettingsStore::GetSetting(key, "False"));
  } catch (const Error&) {
    return false;
  }
}

}  // namespace

ConversionRequest ImageSettings::Load() {
  ConversionRequest request;
  request.type = ImageTypeNamed(SettingsStore::GetSetting(kImageType, "png")).value_or(ImageType::kPng);
  if (request.type != ImageType::kPng) request.quality = StoredNumber(kQuality, 100);
  request.dpi = StoredNumber(kResolution, kMaxDpi);
  if (request.dpi == 0) request.scaleTo = StoredNumber(kScaleTo, kMaxSidePixels);
  if (request.dpi == 0 && request.scaleTo == 0) {
    request.width = StoredNumber(kWidth, kMaxSidePixels);
    request.height = StoredNumber(kHeight, kMaxSidePixels);
  }
  std::string ignored;
  const auto slides = ParseSlideList(SettingsStore::GetSetting(kSlides, ""), &ignored);
  if (slides) request.slides = *slides;
  request.skipHidden = StoredTruth(kSkipHidden);
  request.padNumbers = StoredTruth(kPadNumbers);
  request.transparent = request.type != ImageType::kJpeg && StoredTruth(kTransparent);
  return request;
}

bool ImageSettings::Save(const ConversionRequest& request) {
  bool saved = SettingsStore::SaveSetting(kImageType, ImageTypeName(request.type));
  saved = SettingsStore::SaveSetting(kQuality, std::to_string(request.quality)) && saved;
  saved = SettingsStore::SaveSetting(kResolution, std::to_string(request.dpi)) && saved;
  saved = SettingsStore::SaveSetting(kScaleTo, std::to_string(request.scaleTo)) && saved;
  saved = SettingsStore::SaveSetting(kWidth, std::to_string(request.width)) && saved;
  saved = SettingsStore::SaveSetting(kHeight, std::to_string(request.height)) && saved;
  saved = SettingsStore::SaveSetting(kSlides, request.SlidesText()) && saved;
  saved = SettingsStore::SaveSetting(kSkipHidden, TruthText(request.skipHidden)) && saved;
  saved = SettingsStore::SaveSetting(kPadNumbers, TruthText(request.padNumbers)) && saved;
  saved = SettingsStore::SaveSetting(kTransparent, TruthText(request.transparent)) && saved;
  return saved;
}

}  // namespace qm
