#include "tests/support/DeckCatalog.h"

#include <fstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace qm::test {

namespace {

SlideRegion RegionFrom(const nlohmann::json& value) {
  return {value.at(0).get<double>(), value.at(1).get<double>(), value.at(2).get<double>(),
          value.at(3).get<double>()};
}

MarksDeckLayout MarksFrom(const nlohmann::json& value) {
  MarksDeckLayout marks;
  marks.titlePlaceholder = RegionFrom(value.at("title_placeholder"));
  marks.bodyPlaceholder = RegionFrom(value.at("body_placeholder"));
  for (const auto& [side, region] : value.at("edge_bars").items()) {
    marks.edgeBars[side] = RegionFrom(region);
  }
  marks.edgeColours = value.at("edge_colours").get<std::map<std::string, Rgb>>();
  marks.textBox = RegionFrom(value.at("text_box"));
  for (const auto& line : value.at("thin_lines")) {
    marks.thinLines.emplace_back(line.at(0).get<double>(), line.at(1).get<int>());
  }
  marks.thinLineColour = value.at("thin_line_colour").get<Rgb>();
  return marks;
}

}  // namespace

DeckCatalog::DeckCatalog(const std::string& folder) : folder_(folder) {
  std::ifstream in(folder + "/decks.json");
  if (!in) throw std::runtime_error("cannot read " + folder + "/decks.json");
  const nlohmann::json root = nlohmann::json::parse(in);
  tolerance_ = root.value("tolerance", tolerance_);
  sampleInset_ = root.value("sample_inset", sampleInset_);
  for (const auto& [name, value] : root.at("decks").items()) {
    CatalogDeck deck;
    deck.name = name;
    deck.path = folder + "/" + name;
    deck.slides = value.at("slides").get<int>();
    deck.widthPx = value.at("size_px").at(0).get<int>();
    deck.heightPx = value.at("size_px").at(1).get<int>();
    deck.hidden = value.at("hidden").get<std::vector<int>>();
    deck.colours = value.at("colours").get<std::vector<Rgb>>();
    if (value.contains("content"))
      deck.contentColours = value.at("content").at("colours").get<std::vector<Rgb>>();
    deck.passwordProtected = value.contains("password") && !value.at("password").is_null();
    decks_[name] = deck;
  }
  if (root.contains("marks")) marks_ = MarksFrom(root.at("marks"));
}

const DeckCatalog& DeckCatalog::Default() {
  static const DeckCatalog catalog(QM_TEST_DECKS);
  return catalog;
}

const CatalogDeck& DeckCatalog::Deck(const std::string& name) const {
  const auto it = decks_.find(name);
  if (it == decks_.end()) throw std::runtime_error("decks.json does not list " + name);
  return it->second;
}

std::vector<std::string> DeckCatalog::PlainDeckNames() const {
  std::vector<std::string> names;
  for (const auto& [name, deck] : decks_) {
    if (!deck.passwordProtected) names.push_back(name);
  }
  return names;
}

}  // namespace qm::test
