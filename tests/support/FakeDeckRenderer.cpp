#include "tests/support/FakeDeckRenderer.h"

#include <algorithm>

#include "base/Error.h"
#include "imaging/codecs/BmpFile.h"
#include "tests/support/FakeApplicationFactory.h"

namespace qm::test {

std::uint64_t FakeDeckRenderer::Open(const std::string& path, RenderDocumentInfo* info) {
  log.push_back("open " + path);
  if (ended_) throw Error(path + ": the renderer has ended");
  const auto it = decks.find(path);
  if (it == decks.end()) throw Error(path + ": the file cannot be opened");
  info->slideCount = it->second.slides;
  info->widthTwips = it->second.widthTwips;
  info->heightTwips = it->second.heightTwips;
  openPath_ = path;
  open_ = ++last_;
  return open_;
}

const FakeDeckRenderer::Deck& FakeDeckRenderer::OpenDeck(std::uint64_t serial) const {
  if (!IsOpen(serial)) throw Error(openPath_ + ": the presentation is closed");
  return decks.at(openPath_);
}

bool FakeDeckRenderer::IsHidden(std::uint64_t serial, int number) {
  log.push_back("hidden " + std::to_string(number));
  const Deck& deck = OpenDeck(serial);
  return std::find(deck.hidden.begin(), deck.hidden.end(), number) != deck.hidden.end();
}

void FakeDeckRenderer::Draw(std::uint64_t serial, int number, const std::string& bitmapPath,
                            const DrawRequest& drawing) {
  log.push_back("draw " + std::to_string(number) + " " + std::to_string(drawing.width) + "x" +
                std::to_string(drawing.height) + (drawing.transparent ? " transparent" : ""));
  const Deck& deck = OpenDeck(serial);
  const double deckWidth = deck.widthTwips / 15.0;  // 15 twips a pixel at 96 dpi
  const double deckHeight = deck.heightTwips / 15.0;
  int width = drawing.width;
  int height = drawing.height;
  if (width == 0 && height == 0) {
    width = static_cast<int>(deckWidth + 0.5);
    height = static_cast<int>(deckHeight + 0.5);
  } else if (width == 0) {
    width = static_cast<int>(height * deckWidth / deckHeight + 0.5);
  } else if (height == 0) {
    height = static_cast<int>(width * deckHeight / deckWidth + 0.5);
  }
  Bitmap bitmap(width, height);
  const auto rgb = FakeApplicationFactory::ColourOf(number);
  for (std::size_t i = 0; i < bitmap.pixels.size(); i += 3)
    for (int c = 0; c < 3; ++c) bitmap.pixels[i + c] = rgb[c];
  const Status written = WriteBmpFile(bitmap, bitmapPath);
  if (!written.Ok()) throw Error(written.Message());
}

void FakeDeckRenderer::Close(std::uint64_t serial) {
  if (!IsOpen(serial)) return;
  log.push_back("close");
  open_ = 0;
}

void FakeDeckRenderer::End() {
  if (ended_) return;
  log.push_back("end");
  ended_ = true;
  open_ = 0;
}

}  // namespace qm::test
