#include "engine/worker/PresentationInfo.h"

#include <algorithm>

#include <nlohmann/json.hpp>

namespace qm {

namespace {

/// What LibreOffice gives as the notes of a slide that has none.
constexpr const char* kEmptyNotesPrompt = "Click to add Notes";

void AddOnce(std::vector<std::string>* names, const std::string& name) {
  if (name.empty() || name[0] == '+') return;  // a theme font placeholder
  if (std::find(names->begin(), names->end(), name) == names->end()) names->push_back(name);
}

}  // namespace

PresentationInfo PresentationInfo::Read(const std::string& info,
                                        const std::vector<std::string>& partNames,
                                        const std::vector<bool>& hidden,
                                        std::vector<std::string> fontsMissing) {
  PresentationInfo read;
  for (const std::string& font : fontsMissing) AddOnce(&read.facts.fontsMissing, font);
  const nlohmann::json parsed = nlohmann::json::parse(info, nullptr, /*allow_exceptions=*/false);
  const nlohmann::json* slides = nullptr;
  if (parsed.is_object()) {
    const auto found = parsed.find("slides");
    if (found != parsed.end() && found->is_array()) slides = &*found;
  }
  const std::size_t count = partNames.size();
  read.facts.slides.resize(count);
  read.steps.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    SlideFacts& slide = read.facts.slides[i];
    slide.number = static_cast<int>(i) + 1;
    slide.hidden = i < hidden.size() && hidden[i];
    if (partNames[i] != "Slide " + std::to_string(slide.number)) slide.title = partNames[i];
  }
  if (slides == nullptr) return read;
  for (const nlohmann::json& entry : *slides) {
    if (!entry.is_object()) continue;
    const auto index = entry.find("index");
    if (index == entry.end() || !index->is_number_integer()) continue;
    const long long at = index->get<long long>();
    if (at < 0 || static_cast<std::size_t>(at) >= count) continue;
    const std::size_t i = static_cast<std::size_t>(at);
    const auto notes = entry.find("notes");
    if (notes != entry.end() && notes->is_string() && notes->get<std::string>() != kEmptyNotesPrompt)
      read.facts.slides[i].notes = notes->get<std::string>();
    const auto animations = entry.find("animations");
    if (animations != entry.end()) read.steps[i] = ClickSteps::Read(*animations);
    read.facts.slides[i].clicks = read.steps[i].Clicks();
  }
  return read;
}

std::vector<std::string> ReadMissingFonts(const char* payload) {
  std::vector<std::string> names;
  if (payload == nullptr) return names;
  const nlohmann::json parsed = nlohmann::json::parse(payload, nullptr, /*allow_exceptions=*/false);
  if (!parsed.is_object()) return names;
  const auto fonts = parsed.find("fontsmissing");
  if (fonts == parsed.end() || !fonts->is_array()) return names;
  for (const nlohmann::json& font : *fonts)
    if (font.is_string()) AddOnce(&names, font.get<std::string>());
  return names;
}

}  // namespace qm
