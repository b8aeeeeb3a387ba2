// The three exporters with LibreOffice rendering the generated decks: image
// n shows slide n, and the joined image shows the slides in order.

#include <gtest/gtest.h>

#include <optional>

#include "tests/support/DeckCatalog.h"
#include "imaging/writers/GdiPlusSession.h"
#include "tests/support/LeakCheck.h"
#include "engine/adapter/LibreOfficeApplicationFactory.h"
#include "engine/render/RenderWorkerPool.h"
#include "tests/support/PngTestReader.h"
#include "engine/export/Powerpoint1.h"
#include "imaging/writers/SaveAsAny.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"

using namespace qm;
using namespace qm::test;

namespace {

/// True when the four points `inset` in from the corners of the `w` x `h`
/// area at (x0, y0) of `image` all show `colour`; `what` says where it fails.
::testing::AssertionResult ShowsColour(const RgbImage& image, int x0, int y0, int w, int h,
                                       const Pixel& colour, int tolerance, double inset) {
  const int dx = static_cast<int>(w * inset), dy = static_cast<int>(h * inset);
  for (const auto& [x, y] : {std::pair{x0 + dx, y0 + dy}, {x0 + w - 1 - dx, y0 + dy},
                             {x0 + dx, y0 + h - 1 - dy}, {x0 + w - 1 - dx, y0 + h - 1 - dy}}) {
    const auto p = PixelAt(image, x, y);
    if (!Near(p, colour, tolerance))
      return ::testing::AssertionFailure()
             << "pixel (" << x << ", " << y << ") is " << int(p[0]) << "," << int(p[1]) << ","
             << int(p[2]) << ", expected " << int(colour[0]) << "," << int(colour[1]) << ","
             << int(colour[2]);
  }
  return ::testing::AssertionSuccess();
}

Pixel ToPixel(const std::array<int, 3>& c) {
  return {std::uint8_t(c[0]), std::uint8_t(c[1]), std::uint8_t(c[2])};
}

/// One pool, so the whole suite (run in one process) shares one warm worker.
std::shared_ptr<RenderWorkerPool>& SharedPool() {
  static auto pool = std::make_shared<RenderWorkerPool>(RenderWorkerSettings::FromEnvironment());
  return pool;
}

/// One factory over the shared pool.
LibreOfficeApplicationFactory& SharedFactory() {
  static LibreOfficeApplicationFactory factory(SharedPool());
  return factory;
}

class ExportersWithLibreOffice : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(imaging_.Start());
    // Warm the shared worker before the leak snapshot: it outlives the test.
    SharedPool()->Release(SharedPool()->Acquire());
    leaks_.emplace();
    leaks_->WatchFolder(out_.Path());
    leaks_->WatchFolder(QM_TEST_DECKS);
  }
  void TearDown() override {
    imaging_.Stop();
    if (leaks_) leaks_->ExpectNoLeaks();
  }
  GdiPlusSession imaging_;  // as the program holds one for its run

  const DeckCatalog& catalog_ = DeckCatalog::Default();
  TempFolder out_;
  ScriptedUi ui_;
  std::optional<LeakCheck> leaks_;
};

}  // namespace

TEST_P(ExportersWithLibreOffice, EachSlideImageShowsItsOwnSlide) {
  const CatalogDeck& deck = catalog_.Deck(GetParam());
  auto& factory = SharedFactory();
  Powerpoint1 pp(factory, ui_);
  pp.SaveEachSlideAsImage(deck.path, out_.Path() + "/");
  EXPECT_TRUE(ui_.Reports().empty()) << ui_.Reports().front();
  const std::string base = GetParam().substr(0, GetParam().rfind('.'));
  EXPECT_EQ(out_.Names().size(), static_cast<std::size_t>(deck.slides));
  for (int n = 1; n <= deck.slides; ++n) {
    const auto png = ReadPng(out_ / (base + "_Slide" + std::to_string(n) + ".png"));
    ASSERT_EQ(png.width, deck.widthPx) << "slide " << n;
    ASSERT_EQ(png.height, deck.heightPx) << "slide " << n;
    EXPECT_TRUE(ShowsColour(png, 0, 0, png.width, png.height, ToPixel(deck.colours[n - 1]),
                            catalog_.Tolerance(), catalog_.SampleInset()))
        << "slide " << n;
  }

  // The single-slide export of the last slide matches its each-slide image.
  ScriptedUi singleUi;
  Powerpoint1(factory, singleUi).SaveXSlideAsImage(deck.path, static_cast<short>(deck.slides),
                                                 out_.Path() + "/");
  EXPECT_TRUE(singleUi.Reports().empty());
  EXPECT_EQ(out_.Names().size(), static_cast<std::size_t>(deck.slides));
}

TEST_P(ExportersWithLibreOffice, JoinedImageShowsTheSlidesInOrderBothWays) {
  const CatalogDeck& deck = catalog_.Deck(GetParam());
  auto& factory = SharedFactory();
  const std::string base = GetParam().substr(0, GetParam().rfind('.'));
  for (const short direction : {short{1}, short{2}}) {
    Powerpoint1 pp(factory, ui_);
    pp.SetStitchDirection(direction);
    pp.SaveAllSlidesAsOneImage(deck.path, out_.Path() + "/");
    EXPECT_EQ(out_.Names(), std::vector<std::string>{base + ".png"});
    const auto png = ReadPng(out_ / (base + ".png"));
    const bool down = direction == 1;
    EXPECT_EQ(png.width, down ? deck.widthPx : deck.widthPx * deck.slides);
    EXPECT_EQ(png.height, down ? deck.heightPx * deck.slides + 3 : deck.heightPx);
    for (int n = 1; n <= deck.slides; ++n) {
      const int x = down ? 0 : deck.widthPx * (n - 1);
      const int y = down ? deck.heightPx * (n - 1) : 0;
      EXPECT_TRUE(ShowsColour(png, x, y, deck.widthPx, deck.heightPx,
                              ToPixel(deck.colours[n - 1]), catalog_.Tolerance(),
                              catalog_.SampleInset()))
          << "slide " << n << (down ? " top to bottom" : " left to right");
    }
  }
  EXPECT_TRUE(ui_.Reports().empty());
}

INSTANTIATE_TEST_SUITE_P(Decks, ExportersWithLibreOffice,
                         ::testing::Values("wide3.pptx", "std4.ppt", "hidden5.pptx", "custom2.pptx"),
                         [](const auto& deckParam) {
                           std::string name = deckParam.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });
