#include "tests/support/DeckCatalog.h"

#include <fstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace qm::test {

DeckCatalog::DeckCatalog(const std::string& folder) : folder_(folder) {
  std::ifstream in(folder + "/decks.json");
  if (!in) throw std::runtime_error("cannot read " + folder + "/decks.json");
  const nlohmann::json root = nlohmann::json::parse(in);
  tolerance_ = root.value("tolerance", tolerance_);
  sampleInset_ = root.value("sample_inset", sampleInset_);
  for (const auto& [name, value] : root.at("decks").items()) {
    DeckFacts deck;
    deck.name = name;
    deck.path = folder + "/" + name;
    deck.slides = value.at("slides").get<int>();
    deck.widthPx = value.at("size_px").at(0).get<int>();
    deck.heightPx = value.at("size_px").at(1).get<int>();
    deck.hidden = value.at("hidden").get<std::vector<int>>();
    deck.colours = value.at("colours").get<std::vector<Rgb>>();
    deck.passwordProtected = value.contains("password") && !value.at("password").is_null();
    decks_[name] = deck;
  }
}

const DeckCatalog& DeckCatalog::Default() {
  static const DeckCatalog catalog(QM_TEST_DECKS);
  return catalog;
}

const DeckFacts& DeckCatalog::Deck(const std::string& name) const {
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
