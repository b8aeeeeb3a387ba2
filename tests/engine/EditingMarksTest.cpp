// Slide images show what the audience sees: none of the editing view's marks
// (prompts in empty placeholders, frames around text boxes, the page
// outline), shapes reaching the very edges, thin lines as dark as
// LibreOffice's export draws them. All on marks.pptx through the one shared
// warm worker.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/render/RenderWorker.h"
#include "tests/engine/BitmapChecks.h"
#include "tests/engine/RenderTestBase.h"
#include "tests/engine/SharedRenderWorker.h"
#include "tests/support/DeckCatalog.h"

namespace qm::test {
namespace {

/// Largest deviation from the background accepted where nothing is drawn:
/// a prompt or a frame differs by far more.
constexpr int kBlankTolerance = 3;
/// Pixels around a region checked with it: a frame is drawn on its outline.
constexpr int kMargin = 3;
/// A thin black line must have, in every column it crosses, a pixel with no
/// channel above this; the editing view's scaled tiles gave about 60.
constexpr int kDarkChannel = 40;

int PixelX(const Bitmap& bitmap, double fraction) {
  return static_cast<int>(std::lround(fraction * bitmap.width));
}
int PixelY(const Bitmap& bitmap, double fraction) {
  return static_cast<int>(std::lround(fraction * bitmap.height));
}

/// The largest distance from `colour` over the pixels of `region`, grown by
/// `margin` pixels on every side (clipped to the bitmap).
int WorstInRegion(const Bitmap& bitmap, const SlideRegion& region, const Rgb& colour, int margin) {
  const int x0 = std::max(0, PixelX(bitmap, region.left) - margin);
  const int x1 = std::min(bitmap.width, PixelX(bitmap, region.right) + margin);
  const int y0 = std::max(0, PixelY(bitmap, region.top) - margin);
  const int y1 = std::min(bitmap.height, PixelY(bitmap, region.bottom) + margin);
  int worst = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) worst = std::max(worst, ColourDistance(bitmap, x, y, colour));
  }
  return worst;
}

/// The same over a band `margin` pixels wide either side of the outline of
/// `region`: where an editing view draws a frame.
int WorstOnOutline(const Bitmap& bitmap, const SlideRegion& region, const Rgb& colour,
                   int margin) {
  const double mx = static_cast<double>(margin) / bitmap.width;
  const double my = static_cast<double>(margin) / bitmap.height;
  const SlideRegion sides[] = {
      {region.left, region.top, region.right, region.top + my},
      {region.left, region.bottom - my, region.right, region.bottom},
      {region.left, region.top, region.left + mx, region.bottom},
      {region.right - mx, region.top, region.right, region.bottom},
  };
  int worst = 0;
  for (const SlideRegion& side : sides) {
    worst = std::max(worst, WorstInRegion(bitmap, side, colour, margin));
  }
  return worst;
}

class EditingMarksTest : public RenderTestBase {
 protected:
  void SetUp() override {
    RenderTestBase::SetUp();
    SharedRenderWorker::Get(settings_);
    TakeLeakSnapshot();
    if (!catalog_.Has("marks.pptx")) GTEST_SKIP() << "marks.pptx was not generated";
    deck_ = &catalog_.Deck("marks.pptx");
    SharedRenderWorker::Get(settings_).Open(deck_->path);
  }
  void ReleaseWorkers() override { SharedRenderWorker::CloseDocument(); }

  /// Slide `number` (1-based) of marks.pptx at `width` x `height` (0: the
  /// slide size at 96 dpi).
  Bitmap Render(int number, int width = 0, int height = 0) {
    const std::string path = out_ / ("marks" + std::to_string(number) + ".bmp");
    SharedRenderWorker::Get(settings_).Export(number - 1, path, {width, height});
    return LoadBitmap(path);
  }

  const DeckCatalog& catalog_ = DeckCatalog::Default();
  const MarksDeckLayout& marks_ = catalog_.Marks();
  const CatalogDeck* deck_ = nullptr;
};

TEST_F(EditingMarksTest, EmptyPlaceholdersShowNoPromptAndNoFrame) {
  const Bitmap slide = Render(1);
  ASSERT_FALSE(slide.Empty());
  EXPECT_LE(WorstInRegion(slide, marks_.titlePlaceholder, deck_->colours[0], kMargin),
            kBlankTolerance);
  EXPECT_LE(WorstInRegion(slide, marks_.bodyPlaceholder, deck_->colours[0], kMargin),
            kBlankTolerance);
}

TEST_F(EditingMarksTest, TextBoxOnADarkSlideHasItsTextButNoFrame) {
  const Bitmap slide = Render(3);
  ASSERT_FALSE(slide.Empty());
  EXPECT_LE(WorstOnOutline(slide, marks_.textBox, deck_->colours[2], kMargin), kBlankTolerance);
  // The text itself is drawn: this is no blank slide.
  EXPECT_GT(WorstInRegion(slide, marks_.textBox, deck_->colours[2], 0), 100);
}

TEST_F(EditingMarksTest, ShapesTouchingEachEdgeReachTheFirstAndLastRowsAndColumns) {
  struct Size {
    int width, height;
  };
  for (const Size size : {Size{0, 0}, Size{333, 222}, Size{1920, 0}}) {
    const Bitmap slide = Render(2, size.width, size.height);
    ASSERT_FALSE(slide.Empty());
    SCOPED_TRACE(std::to_string(slide.width) + " x " + std::to_string(slide.height));
    const int w = slide.width;
    const int h = slide.height;
    // The middle of each bar's edge, clear of its corners' anti-aliasing.
    const SlideRegion edges[] = {{0.3, 0, 0.7, 0}, {0.3, 1, 0.7, 1}, {0, 0.3, 0, 0.7},
                                 {1, 0.3, 1, 0.7}};
    const char* sides[] = {"top", "bottom", "left", "right"};
    for (int i = 0; i < 4; ++i) {
      const Rgb& colour = marks_.edgeColours.at(sides[i]);
      const int x0 = std::min(PixelX(slide, edges[i].left), w - 1);
      const int x1 = std::min(PixelX(slide, edges[i].right), w - 1);
      const int y0 = std::min(PixelY(slide, edges[i].top), h - 1);
      const int y1 = std::min(PixelY(slide, edges[i].bottom), h - 1);
      // LibreOffice's export blends the last row and column with a little
      // of the background (more at larger sizes): the bar must still be
      // what each edge pixel shows.
      int misses = 0;
      for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
          if (3 * ColourDistance(slide, x, y, colour) > ColourDistance(slide, x, y, deck_->colours[1]))
            ++misses;
        }
      }
      EXPECT_EQ(misses, 0) << sides[i] << " edge";
    }
    if (size.width == 0) {
      // At the slide size, each bar's inner side falls on a pixel boundary:
      // the bar ends and the background starts there, neither scaled nor
      // shifted.
      const int rowTop = PixelY(slide, marks_.edgeBars.at("top").bottom);
      const int rowBottom = PixelY(slide, marks_.edgeBars.at("bottom").top);
      const int columnLeft = PixelX(slide, marks_.edgeBars.at("left").right);
      const int columnRight = PixelX(slide, marks_.edgeBars.at("right").left);
      const int mx = w / 2;
      const int my = h / 2;
      const Rgb& background = deck_->colours[1];
      EXPECT_LE(ColourDistance(slide, mx, rowTop - 1, marks_.edgeColours.at("top")), catalog_.Tolerance());
      EXPECT_LE(ColourDistance(slide, mx, rowTop, background), catalog_.Tolerance());
      EXPECT_LE(ColourDistance(slide, mx, rowBottom, marks_.edgeColours.at("bottom")), catalog_.Tolerance());
      EXPECT_LE(ColourDistance(slide, mx, rowBottom - 1, background), catalog_.Tolerance());
      EXPECT_LE(ColourDistance(slide, columnLeft - 1, my, marks_.edgeColours.at("left")), catalog_.Tolerance());
      EXPECT_LE(ColourDistance(slide, columnLeft, my, background), catalog_.Tolerance());
      EXPECT_LE(ColourDistance(slide, columnRight, my, marks_.edgeColours.at("right")), catalog_.Tolerance());
      EXPECT_LE(ColourDistance(slide, columnRight - 1, my, background), catalog_.Tolerance());
    }
    // No outline: the corners, where no bar reaches, show the background.
    for (const auto& [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}}) {
      EXPECT_LE(ColourDistance(slide, x, y, deck_->colours[1]), kBlankTolerance)
          << "corner (" << x << ", " << y << ")";
    }
  }
}

TEST_F(EditingMarksTest, ThinLinesComeOutDarkNotLightGrey) {
  const Bitmap slide = Render(4);
  ASSERT_FALSE(slide.Empty());
  for (const auto& [height, widthEmu] : marks_.thinLines) {
    SCOPED_TRACE("the line of width " + std::to_string(widthEmu) + " EMU");
    const int middle = PixelY(slide, height);
    int lightest = 0;  // over the columns, the darkest pixel near the line
    for (int x = PixelX(slide, 0.3); x < PixelX(slide, 0.7); ++x) {
      int darkest = 255;
      for (int y = std::max(0, middle - 3); y <= std::min(slide.height - 1, middle + 3); ++y) {
        darkest = std::min(darkest, ColourDistance(slide, x, y, Rgb{0, 0, 0}));
      }
      lightest = std::max(lightest, darkest);
    }
    EXPECT_LE(lightest, kDarkChannel);
  }
}

TEST_F(EditingMarksTest, DeckWithoutSlidesGivesOneBlankSlideWithoutPrompts) {
  const std::string path = catalog_.PathOf("noslides.pptx");
  RenderWorker& worker = SharedRenderWorker::Get(settings_);
  ASSERT_EQ(worker.Open(path).slideCount, 1);
  worker.Export(0, out_ / "blank.bmp");
  const Bitmap slide = LoadBitmap(out_ / "blank.bmp");
  ASSERT_FALSE(slide.Empty());
  EXPECT_LE(WorstInRegion(slide, {0, 0, 1, 1}, Rgb{255, 255, 255}, 0), kBlankTolerance);
}

}  // namespace
}  // namespace qm::test
