#pragma once
// A renderer in memory under the program's own presentation objects: decks
// of solid-coloured slides, and a log of what it was asked.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/adapter/DeckRenderer.h"

namespace qm::test {

/// Decks are found by their exact path. Each slide is drawn in
/// FakeApplicationFactory::ColourOf(n), at the size asked for (0 x 0: the
/// deck's size at 96 dpi, one 0 keeping the aspect). The log holds "open
/// <path>", "hidden <n>", "draw <n> <w>x<h>[ transparent]", "close" and
/// "end", in order.
class FakeDeckRenderer : public DeckRenderer {
 public:
  struct Deck {
    int slides = 3;
    int widthTwips = 14400;  ///< 960 pixels at 96 dpi
    int heightTwips = 8100;  ///< 540 pixels
    std::vector<int> hidden;  ///< 1-based
  };
  std::map<std::string, Deck> decks;
  std::vector<std::string> log;

  std::uint64_t Open(const std::string& path, RenderDocumentInfo* info) override;
  bool IsOpen(std::uint64_t serial) const override { return serial != 0 && serial == open_; }
  bool IsHidden(std::uint64_t serial, int number) override;
  void Draw(std::uint64_t serial, int number, const std::string& bitmapPath,
            const DrawRequest& drawing) override;
  void Close(std::uint64_t serial) override;
  void End() override;
  bool Ended() const override { return ended_; }

 private:
  const Deck& OpenDeck(std::uint64_t serial) const;

  std::string openPath_;
  std::uint64_t open_ = 0;
  std::uint64_t last_ = 0;
  bool ended_ = false;
};

}  // namespace qm::test
