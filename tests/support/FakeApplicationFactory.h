#pragma once
// An in-memory presentation application for tests of the exporters and the
// batch run: scriptable decks, slide sizes, colours and failures, and a log of
// every call in order.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/adapter/ApplicationFactory.h"

namespace qm::test {

/// One slide of a fake deck: its export size in pixels and its solid colour.
struct FakeSlide {
  int width = 96;
  int height = 54;
  std::array<std::uint8_t, 3> rgb{200, 40, 40};
  bool failExport = false;  ///< Export throws
  bool exportWritesNothing = false;  ///< Export returns but writes no file
  int exportDelayMs = 0;  ///< Export takes this long (a slow slide)
  bool hidden = false;    ///< the slide show leaves it out
};

/// A deck the fake can open, found by its exact path.
struct FakeDeck {
  std::string path;  ///< as added; a failure names it, as the real renderer's do
  std::vector<FakeSlide> slides;
  bool failCount = false;  ///< Slides.Count throws
  bool failClose = false;  ///< Close throws
  bool killOnOpen = false;  ///< opening it kills the process, as a crash would
};

/// The factory. Decks not in `decks` cannot be opened. Every call and every
/// release is appended to `log` as a short text ("create", "visible",
/// "open <path>", "count", "item <n>", "export <n> <path>", "close", "quit",
/// "release application", "release presentation", "attach", "name").
class FakeApplicationFactory : public ApplicationFactory {
 public:
  std::map<std::string, FakeDeck> decks;
  bool failCreate = false;
  /// A running instance that Attach finds, and the name it answers.
  bool instanceRunning = false;
  std::string runningName = "Microsoft PowerPoint";

  std::shared_ptr<std::vector<std::string>> log = std::make_shared<std::vector<std::string>>();

  /// Adds a deck of `count` slides of one size; slide i gets colour ColourOf(i).
  FakeDeck& AddDeck(const std::string& path, int count, int width = 96, int height = 54);

  /// The distinct colour the fake gives slide `n` (1-based).
  static std::array<std::uint8_t, 3> ColourOf(int n);

  std::shared_ptr<Application> Create(const std::string& progId) override;
  std::shared_ptr<Application> Attach(const std::string& progId) override;

  /// Log entries that start with `prefix`, in order.
  std::vector<std::string> LogOf(const std::string& prefix) const;
};

}  // namespace qm::test
