// The two ways the worker draws a slide, held against each other: LibreOffice's
// slide renderer (fast, used wherever it draws the exact size) and its PNG
// export (the reference, and the fallback). Each worker is pinned to one way
// through QUILLMERE_SLIDE_DRAWING, so a renderer that silently fell back to
// the export could not pass for one that matches it.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "bench/NormalizedRmse.h"
#include "engine/render/RenderWorker.h"
#include "tests/engine/BitmapChecks.h"
#include "tests/engine/RenderTestBase.h"
#include "tests/support/DeckCatalog.h"

namespace qm::test {
namespace {

/// Largest normalized RMSE accepted between the two ways on any slide: the
/// renderer paints exactly what the export paints, so anything visible (a
/// prompt, a frame, text a row lower) is far above it.
constexpr double kMaxRmse = 0.005;

class SlideDrawingTest : public RenderTestBase {
 protected:
  void ReleaseWorkers() override {
    renderer_.reset();
    exporter_.reset();
  }

  /// A worker started with QUILLMERE_SLIDE_DRAWING=`drawing` (it reads the
  /// variable once, at its start).
  std::unique_ptr<RenderWorker> WorkerDrawingBy(const char* drawing) {
    ::setenv("QUILLMERE_SLIDE_DRAWING", drawing, 1);
    auto worker = std::make_unique<RenderWorker>(settings_);
    ::unsetenv("QUILLMERE_SLIDE_DRAWING");
    return worker;
  }

  std::unique_ptr<RenderWorker> renderer_;
  std::unique_ptr<RenderWorker> exporter_;
};

TEST_F(SlideDrawingTest, SlideRendererDrawsEverySlideAsTheExportDoesAtTheExactSize) {
  const DeckCatalog& catalog = DeckCatalog::Default();
  renderer_ = WorkerDrawingBy("renderer");
  exporter_ = WorkerDrawingBy("export");
  int compared = 0;
  for (const std::string& name : catalog.PlainDeckNames()) {
    const CatalogDeck& deck = catalog.Deck(name);
    renderer_->Open(deck.path);
    exporter_->Open(deck.path);
    for (int n = 1; n <= deck.slides; ++n) {
      SCOPED_TRACE(name + " slide " + std::to_string(n));
      const std::string drawn = out_ / "drawn.bmp";
      const std::string exported = out_ / "exported.bmp";
      EXPECT_EQ(exporter_->Export(n - 1, exported), std::make_pair(deck.widthPx, deck.heightPx));
      EXPECT_EQ(renderer_->Export(n - 1, drawn), std::make_pair(deck.widthPx, deck.heightPx));
      EXPECT_LE(NormalizedRmse(LoadBitmap(drawn), LoadBitmap(exported)), kMaxRmse);
      ++compared;
    }
  }
  // wide3, std4, hidden5 (its hidden slide too), custom2, marks (empty
  // placeholders, edge bars, a dark slide, thin lines), varied2 (gradient,
  // picture, dark background), content (chart, table, object), the sizes the
  // renderer misses as stored (widescreen2 as .pptx and .odp, widecontent and
  // a4paper2 as .pptx and .ppt), 16:10 and the other .ppt copies.
  EXPECT_GE(compared, 40);
}

TEST_F(SlideDrawingTest, DecksOfSizesTheRendererMissesAreDrawnExactlyAtTheSizesAsked) {
  const DeckCatalog& catalog = DeckCatalog::Default();
  renderer_ = WorkerDrawingBy("renderer");
  exporter_ = WorkerDrawingBy("export");
  // Widths the renderer misses by a fraction of a row on the deck as stored:
  // served by the nudge made at opening (1920, 2560, 1560), or by opening
  // the deck again nudged for the width asked (1015, and a binary deck at
  // any size it misses); 1440 on 16:10 it draws.
  const std::pair<const char*, int> cases[] = {
      {"widecontent.pptx", 1920}, {"widecontent.pptx", 2560}, {"widecontent.pptx", 1015},
      {"a4paper2.pptx", 1560},    {"ratio16x10_2.pptx", 1440}, {"wide3.pptx", 1015},
      {"widescreen2.odp", 1920},  {"widecontent.ppt", 1280}, {"widecontent.ppt", 1920},
      {"a4paper2.ppt", 1560}};
  for (const auto& [name, width] : cases) {
    const CatalogDeck& deck = catalog.Deck(name);
    renderer_->Open(deck.path);
    exporter_->Open(deck.path);
    // Nudged or not, the deck says its own size.
    EXPECT_EQ(renderer_->Document().widthTwips, exporter_->Document().widthTwips) << name;
    EXPECT_EQ(renderer_->Document().heightTwips, exporter_->Document().heightTwips) << name;
    for (int n = 1; n <= deck.slides; ++n) {
      SCOPED_TRACE(std::string(name) + " slide " + std::to_string(n) + " at width " +
                   std::to_string(width));
      const std::string drawn = out_ / "drawn.bmp";
      const std::string exported = out_ / "exported.bmp";
      const std::pair<int, int> size = exporter_->Export(n - 1, exported, {width, 0});
      EXPECT_EQ(size.first, width);
      EXPECT_EQ(renderer_->Export(n - 1, drawn, {width, 0}), size);
      EXPECT_LE(NormalizedRmse(LoadBitmap(drawn), LoadBitmap(exported)), kMaxRmse);
    }
  }
}

/// The share of `picture`'s pixels that are fully transparent.
double TransparentShare(const Bitmap& picture) {
  if (!picture.HasAlpha() || !picture.IsConsistent()) return 0;
  std::size_t clear = 0;
  for (std::size_t i = 3; i < picture.pixels.size(); i += 4) clear += picture.pixels[i] == 0;
  return static_cast<double>(clear) / static_cast<double>(picture.pixels.size() / 4);
}

TEST_F(SlideDrawingTest, ATransparentSlideLosesItsBackgroundAndKeepsItsNumber) {
  const DeckCatalog& catalog = DeckCatalog::Default();
  renderer_ = WorkerDrawingBy("renderer");
  exporter_ = WorkerDrawingBy("export");
  const CatalogDeck& deck = catalog.Deck("std4.pptx");
  renderer_->Open(deck.path);
  exporter_->Open(deck.path);
  for (int n = 1; n <= 2; ++n) {
    SCOPED_TRACE("slide " + std::to_string(n));
    const std::string clear = out_ / "clear.bmp";
    EXPECT_EQ(renderer_->Export(n - 1, clear, {0, 0, true}),
              std::make_pair(deck.widthPx, deck.heightPx));
    const Bitmap drawn = LoadBitmap(clear);
    ASSERT_TRUE(drawn.HasAlpha());
    // The coloured background is gone; the large number stays, opaque, and
    // laid on white it is the slide's number as the export draws it.
    EXPECT_GT(TransparentShare(drawn), 0.8);
    EXPECT_LT(TransparentShare(drawn), 0.999);
    EXPECT_EQ(drawn.pixels[3], 0);  // the top left corner
    exporter_->Export(n - 1, out_ / "opaque.bmp");
    const Bitmap opaque = LoadBitmap(out_ / "opaque.bmp");
    EXPECT_FALSE(opaque.HasAlpha());
    // Where the transparent picture is opaque, it is the exported slide.
    std::size_t opaquePixels = 0, differing = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(drawn.width) * drawn.height; ++i) {
      if (drawn.pixels[4 * i + 3] != 255) continue;
      ++opaquePixels;
      for (int c = 0; c < 3; ++c)
        differing += std::abs(drawn.pixels[4 * i + c] - opaque.pixels[3 * i + c]) > 8;
    }
    EXPECT_GT(opaquePixels, 100u);
    EXPECT_LT(differing, opaquePixels / 100);
    // The export paints the background always: it refuses rather than pass
    // an opaque picture off as a transparent one.
    ExpectError([&] { exporter_->Export(n - 1, out_ / "refused.bmp", {0, 0, true}); },
                {deck.path, "background out"});
  }
}

}  // namespace
}  // namespace qm::test
