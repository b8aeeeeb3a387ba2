#pragma once
// The test decks written by tools/make_decks.py, and what decks.json says
// about them.

#include <array>
#include <map>
#include <string>
#include <vector>

#include "tests/support/MarksDeckLayout.h"

namespace qm::test {

using Rgb = std::array<int, 3>;

/// What decks.json says about one deck.
struct CatalogDeck {
  std::string name;
  std::string path;
  int slides = 0;
  int widthPx = 0;  ///< slide size at 96 dpi
  int heightPx = 0;
  std::vector<int> hidden;   ///< 1-based numbers of hidden slides
  std::vector<Rgb> colours;  ///< background of slide n at [n-1]
  /// The colour at the middle of slide n at [n-1], for decks whose slides
  /// carry an object there (a chart, a table, an embedded object); else empty.
  std::vector<Rgb> contentColours;
  bool passwordProtected = false;
};

/// The test decks folder (QM_TEST_DECKS at build time).
class DeckCatalog {
 public:
  /// Reads `folder`/decks.json; throws std::runtime_error when it cannot.
  explicit DeckCatalog(const std::string& folder);

  /// The catalog of the build's test decks, read once.
  static const DeckCatalog& Default();

  bool Has(const std::string& name) const { return decks_.count(name) != 0; }
  /// Facts of the deck `name`; throws std::runtime_error when unknown.
  const CatalogDeck& Deck(const std::string& name) const;
  /// Path of any file in the folder, broken ones included.
  std::string PathOf(const std::string& name) const { return folder_ + "/" + name; }
  /// Names of the well-formed decks without a password, sorted.
  std::vector<std::string> PlainDeckNames() const;

  /// Where things stand on marks.pptx.
  const MarksDeckLayout& Marks() const { return marks_; }

  /// Per-channel tolerance for sampled colours.
  int Tolerance() const { return tolerance_; }
  /// Sample points lie this fraction of the slide in from each corner.
  double SampleInset() const { return sampleInset_; }

 private:
  std::string folder_;
  std::map<std::string, CatalogDeck> decks_;
  MarksDeckLayout marks_;
  int tolerance_ = 24;
  double sampleInset_ = 0.1;
};

}  // namespace qm::test
