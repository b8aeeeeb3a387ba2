#include "DeckCatalog.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "JsonValue.h"

namespace qm::test {

DeckCatalog::DeckCatalog(const std::string& folder) : folder_(folder) {
  std::ifstream in(folder + "/decks.json");
  if (!in) throw std::runtime_error("cannot read " + folder + "/decks.json");
  std::stringstream text;
  text << in.rdbuf();
  const JsonValue root = JsonValue::Parse(text.str());
  if (root.Has("tolerance")) tolerance_ = root["tolerance"].Int();
  if (root.Has("sample_inset")) sampleInset_ = root["sample_inset"].number;
  for (const auto& [name, value] : root["decks"].members) {
    DeckFacts deck;
    deck.name = name;
    deck.path = folder + "/" + name;
    deck.slides = value["slides"].Int();
    deck.widthPx = value["size_px"].items.at(0).Int();
    deck.heightPx = value["size_px"].items.at(1).Int();
    for (const JsonValue& n : value["hidden"].items) deck.hidden.push_back(n.Int());
    for (const JsonValue& c : value["colours"].items) {
      deck.colours.push_back({c.items.at(0).Int(), c.items.at(1).Int(), c.items.at(2).Int()});
    }
    deck.passwordProtected =
        value.Has("password") && value["password"].kind != JsonValue::Kind::kNull;
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
