// The exporters driven through the in-memory application: names, order of
// steps, reports, stitched layout, and no temporary file left behind.

#include <gtest/gtest.h>

#include <algorithm>

#include <fstream>
#include <optional>

#include "imaging/codecs/BmpFile.h"
#include "imaging/writers/GdiPlusSession.h"
#include "engine/adapter/LibreOfficeApplicationFactory.h"
#include "tests/support/FakeApplicationFactory.h"
#include "tests/support/FakeDeckRenderer.h"
#include "tests/support/LeakCheck.h"
#include "engine/export/Powerpoint1.h"
#include "tests/support/PngTestReader.h"
#include "imaging/writers/SaveAsAny.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"

using namespace qm;
using qm::test::FakeApplicationFactory;
using qm::test::LeakCheck;
using qm::test::ReportedLine;
using qm::test::ScriptedUi;
using qm::test::TempFolder;

namespace {

std::vector<int> ReportedLines(const ScriptedUi& ui) {
  std::vector<int> lines;
  for (const auto& text : ui.Reports()) lines.push_back(ReportedLine(text));
  return lines;
}

class Exporters : public ::testing::Test {
 protected:
  // The program starts the imaging layer once at start-up; the PNG writer relies on it.
  void SetUp() override {
    ASSERT_TRUE(imaging_.Start());
    leaks_.emplace();
    leaks_->WatchFolder(in_.Path());
    leaks_->WatchFolder(out_.Path());
  }
  void TearDown() override {
    imaging_.Stop();
    if (leaks_) leaks_->ExpectNoLeaks();
  }
  GdiPlusSession imaging_;  // as the program holds one for its run

  std::string Deck(const std::string& name = "deck.pptx") { return in_ / name; }
  std::string Out() { return out_.Path() + "/"; }

  TempFolder in_, out_;
  FakeApplicationFactory factory_;
  ScriptedUi ui_;
  Powerpoint1 pp_{factory_, ui_};
  std::optional<LeakCheck> leaks_;  ///< descriptors, children, temporaries
};

}  // namespace

TEST_F(Exporters, SingleSlideWritesOnlyItsPngAndStepsRunInOrder) {
  factory_.AddDeck(Deck(), 3);
  pp_.SaveXSlideAsImage(Deck(), 2, Out());
  EXPECT_EQ(out_.Names(), std::vector<std::string>{"deck_Slide2.png"});
  EXPECT_TRUE(ui_.Reports().empty());
  const auto& log = *factory_.log;
  ASSERT_EQ(log.size(), 10u);
  EXPECT_EQ(log[0], "create");
  EXPECT_EQ(log[1], "visible");
  EXPECT_EQ(log[2], "open " + Deck());
  EXPECT_EQ(log[3], "count");
  EXPECT_EQ(log[4], "item 2");
  EXPECT_EQ(log[5].substr(0, 9), "export 2 ");
  EXPECT_EQ(log[6], "close");
  EXPECT_EQ(log[7], "quit");
  EXPECT_EQ(log[8], "release application");
  EXPECT_EQ(log[9], "release presentation");
  const auto png = test::ReadPng(out_ / "deck_Slide2.png");
  EXPECT_EQ(png.width, 96);
  EXPECT_EQ(png.height, 54);
  EXPECT_EQ(test::PixelAt(png, 50, 20), FakeApplicationFactory::ColourOf(2));
}

TEST_F(Exporters, DoubledSeparatorOfTheSourceFolderStillLandsInIt) {
  factory_.AddDeck(Deck(), 2);
  pp_.SaveXSlideAsImage(Deck(), 2, in_.Path() + "//");
  EXPECT_TRUE(test::FileIsPng(in_ / "deck_Slide2.png"));
}

TEST_F(Exporters, SlidePastTheEndWritesNothingAndSaysNothing) {
  factory_.AddDeck(Deck(), 3);
  pp_.SaveXSlideAsImage(Deck(), 5, Out());
  EXPECT_TRUE(out_.Names().empty());
  EXPECT_TRUE(ui_.calls.empty());
  EXPECT_EQ(factory_.LogOf("quit").size(), 1u);
}

TEST_F(Exporters, SlideZeroIsOneReportAtTheExportLine) {
  factory_.AddDeck(Deck(), 3);
  pp_.SaveXSlideAsImage(Deck(), 0, Out());
  EXPECT_EQ(ReportedLines(ui_), std::vector<int>{126});
  EXPECT_TRUE(out_.Names().empty());
}

TEST_F(Exporters, ApplicationThatCannotBeCreatedGivesTheReportSeriesAndNoOutput) {
  factory_.failCreate = true;
  pp_.SaveXSlideAsImage(Deck(), 1, Out());
  EXPECT_EQ(ReportedLines(ui_), (std::vector<int>{118, 120, 122, 124, 126, 136, 138}));
  EXPECT_TRUE(ui_.Reports()[0].find("in Tessaly2021/08/31.Powerpoint1.SaveXSlideAsImage ") !=
              std::string::npos);

  ScriptedUi eachUi;
  Powerpoint1(factory_, eachUi).SaveEachSlideAsImage(Deck(), Out());
  EXPECT_EQ(ReportedLines(eachUi), (std::vector<int>{118, 120, 122, 124, 128, 140, 142}));
  EXPECT_TRUE(out_.Names().empty());
}

TEST_F(Exporters, FileThatCannotBeOpenedIsReportedAndTheApplicationStillQuits) {
  pp_.SaveXSlideAsImage(Deck("missing.pptx"), 1, Out());
  EXPECT_EQ(ReportedLines(ui_), (std::vector<int>{122, 124, 126, 136}));
  EXPECT_NE(ui_.Reports()[0].find("missing.pptx"), std::string::npos);
  EXPECT_EQ(factory_.LogOf("quit").size(), 1u);

  ScriptedUi eachUi;
  Powerpoint1(factory_, eachUi).SaveEachSlideAsImage(Deck("missing.pptx"), Out());
  EXPECT_EQ(ReportedLines(eachUi), (std::vector<int>{122, 124, 128, 140}));
  EXPECT_EQ(factory_.LogOf("quit").size(), 2u);
  EXPECT_TRUE(out_.Names().empty());
}

TEST_F(Exporters, EachSlideWritesNumberedPngsAndAFailingSlideOnlyCostsItself) {
  auto& deck = factory_.AddDeck(Deck(), 12);
  deck.slides[4].failExport = true;
  pp_.SaveEachSlideAsImage(Deck(), Out());
  EXPECT_EQ(ReportedLines(ui_), std::vector<int>{128});
  auto names = out_.Names();
  EXPECT_EQ(names.size(), 11u);
  for (int i = 1; i <= 12; ++i) {
    const std::string name = "deck_Slide" + std::to_string(i) + ".png";
    EXPECT_EQ(test::FileIsPng(out_ / name), i != 5) << name;
  }
  const auto png = test::ReadPng(out_ / "deck_Slide12.png");
  EXPECT_EQ(test::PixelAt(png, 1, 1), FakeApplicationFactory::ColourOf(12));
}

TEST_F(Exporters, UsersOwnBitmapAndJpegNamesAreNeverTouched) {
  factory_.AddDeck(Deck(), 2);
  for (const char* name : {"deck_Slide1.bmp", "deck_Slide2.jpg"}) std::ofstream(out_ / name) << "mine";
  pp_.SaveEachSlideAsImage(Deck(), Out());
  pp_.SaveAllSlidesAsOneImage(Deck(), Out());
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"deck.png", "deck_Slide1.bmp", "deck_Slide1.png",
                                                    "deck_Slide2.jpg", "deck_Slide2.png"}));
  std::ifstream mine(out_ / "deck_Slide1.bmp");
  std::string text;
  mine >> text;
  EXPECT_EQ(text, "mine");
}

TEST_F(Exporters, ExistingOutputIsReplaced) {
  factory_.AddDeck(Deck(), 1);
  std::ofstream(out_ / "deck_Slide1.png") << "old";
  pp_.SaveXSlideAsImage(Deck(), 1, Out());
  EXPECT_TRUE(test::FileIsPng(out_ / "deck_Slide1.png"));
  EXPECT_TRUE(ui_.Reports().empty());
}

TEST_F(Exporters, PngThatCannotBeWrittenIsReportedNamingTheFileAndTheSystemsReason) {
  factory_.AddDeck(Deck(), 1);
  std::filesystem::create_directory(out_ / "deck_Slide1.png");  // a folder in the way
  pp_.SaveXSlideAsImage(Deck(), 1, Out());
  ASSERT_EQ(ReportedLines(ui_), std::vector<int>{132});
  EXPECT_NE(ui_.Reports()[0].find("Cannot write the image "), std::string::npos);
  EXPECT_NE(ui_.Reports()[0].find("deck_Slide1.png"), std::string::npos);
  EXPECT_NE(ui_.Reports()[0].find("Is a directory"), std::string::npos) << ui_.Reports()[0];
  EXPECT_EQ(out_.Names(), std::vector<std::string>{"deck_Slide1.png"});  // only the folder
}

TEST_F(Exporters, MissingBitmapOnlySkipsThePngStep) {
  factory_.AddDeck(Deck(), 1).slides[0].exportWritesNothing = true;
  pp_.SaveXSlideAsImage(Deck(), 1, Out());
  EXPECT_TRUE(ui_.Reports().empty());
  EXPECT_TRUE(out_.Names().empty());
}

// ---- All slides as one image ----

TEST_F(Exporters, LeftToRightPlacesEqualSlidesSideBySide) {
  factory_.AddDeck(Deck(), 3, 96, 54);
  pp_.SetStitchDirection(2);
  pp_.SaveAllSlidesAsOneImage(Deck(), Out());
  EXPECT_TRUE(ui_.Reports().empty());
  EXPECT_EQ(out_.Names(), std::vector<std::string>{"deck.png"});
  const auto png = test::ReadPng(out_ / "deck.png");
  EXPECT_EQ(png.width, 288);
  EXPECT_EQ(png.height, 54);
  for (int i = 1; i <= 3; ++i)
    EXPECT_TRUE(test::Near(test::PixelAt(png, 96 * (i - 1) + 48, 27), FakeApplicationFactory::ColourOf(i), 8))
        << "slide " << i;
}

TEST_F(Exporters, TopToBottomAddsTheBackgroundStripBelow) {
  factory_.AddDeck(Deck(), 3, 96, 54);
  pp_.SetStitchDirection(1);
  pp_.SaveAllSlidesAsOneImage(Deck(), Out());
  const auto png = test::ReadPng(out_ / "deck.png");
  EXPECT_EQ(png.width, 96);
  EXPECT_EQ(png.height, 54 * 3 + 3);
  for (int i = 1; i <= 3; ++i)
    EXPECT_TRUE(test::Near(test::PixelAt(png, 48, 54 * (i - 1) + 27), FakeApplicationFactory::ColourOf(i), 8));
  EXPECT_EQ(test::PixelAt(png, 10, 54 * 3 + 1), (std::array<std::uint8_t, 3>{255, 255, 255}));
}

TEST_F(Exporters, UnequalSlidesAlignTopOrLeftAndTheRestIsBackground) {
  auto& deck = factory_.AddDeck(Deck(), 2);
  deck.slides[0].width = 80, deck.slides[0].height = 60;
  deck.slides[1].width = 100, deck.slides[1].height = 50;
  const std::array<std::uint8_t, 3> white{255, 255, 255};

  pp_.SetStitchDirection(0);  // anything but 1 is left to right
  pp_.SaveAllSlidesAsOneImage(Deck(), Out());
  auto png = test::ReadPng(out_ / "deck.png");
  EXPECT_EQ(png.width, 180);
  EXPECT_EQ(png.height, 60);
  EXPECT_TRUE(test::Near(test::PixelAt(png, 79, 59), FakeApplicationFactory::ColourOf(1), 8));
  EXPECT_TRUE(test::Near(test::PixelAt(png, 80, 0), FakeApplicationFactory::ColourOf(2), 8));
  EXPECT_EQ(test::PixelAt(png, 120, 55), white);  // below the shorter second slide

  pp_.SetStitchDirection(1);
  pp_.SaveAllSlidesAsOneImage(Deck(), Out());
  png = test::ReadPng(out_ / "deck.png");
  EXPECT_EQ(png.width, 100);
  EXPECT_EQ(png.height, 113);
  EXPECT_EQ(test::PixelAt(png, 90, 10), white);  // right of the narrower first slide
  EXPECT_TRUE(test::Near(test::PixelAt(png, 99, 60), FakeApplicationFactory::ColourOf(2), 8));
  EXPECT_TRUE(ui_.Reports().empty());
  EXPECT_EQ(out_.Names(), std::vector<std::string>{"deck.png"});
}

TEST_F(Exporters, SlideThatFailsKeepsItsSlotInTheJoin) {
  auto& deck = factory_.AddDeck(Deck(), 3);
  deck.slides[1].failExport = true;
  pp_.SetStitchDirection(2);
  pp_.SaveAllSlidesAsOneImage(Deck(), Out());
  const auto lines = ReportedLines(ui_);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], 128);  // the export, in SaveAllSlidesAsOneImage
  EXPECT_EQ(lines[1], 116);  // its picture, in CombineImages
  EXPECT_NE(ui_.Reports()[1].find("Powerpoint1.CombineImages "), std::string::npos);
  // Slide 1 is painted again in slide 2's slot; slide 3 stays in the third.
  const auto png = test::ReadPng(out_ / "deck.png");
  EXPECT_EQ(png.width, 288);
  EXPECT_TRUE(test::Near(test::PixelAt(png, 120, 20), FakeApplicationFactory::ColourOf(1), 8));
  EXPECT_TRUE(test::Near(test::PixelAt(png, 200, 20), FakeApplicationFactory::ColourOf(3), 8));
  EXPECT_EQ(out_.Names(), std::vector<std::string>{"deck.png"});
}

TEST_F(Exporters, UnopenableFileJoinsNothingAndLeavesNothing) {
  pp_.SaveAllSlidesAsOneImage(Deck("missing.pptx"), Out());
  EXPECT_FALSE(ui_.Reports().empty());
  EXPECT_EQ(ReportedLines(ui_).front(), 122);
  EXPECT_EQ(ReportedLines(ui_).back(), 148);
  EXPECT_TRUE(out_.Names().empty());
}

TEST_F(Exporters, PictureListThatCouldNotBeMadeIsReportedWhenItsEntryIsSet) {
  // Open fails, so the list is never made; the loop's one pass must say so
  // at the step that sets the entry instead of quietly growing the list.
  pp_.SaveAllSlidesAsOneImage(Deck("missing.pptx"), Out());
  const std::vector<int> lines = ReportedLines(ui_);
  EXPECT_NE(std::find(lines.begin(), lines.end(), 138), lines.end());
  EXPECT_TRUE(out_.Names().empty());
}

TEST_F(Exporters, TheProgramsPresentationObjectsHandTheRendererTheDecksDrawingWithEachSlidesSize) {
  // The exporters over the program's own presentation objects, with only the
  // renderer in memory: what the run asks must reach every slide drawn (a
  // slide object that forgot its deck's drawing drew the background again).
  auto renderer = std::make_shared<test::FakeDeckRenderer>();
  renderer->decks[Deck()] = {4, 14400, 8100, {3}};
  std::ofstream(Deck()) << "a deck";
  LibreOfficeApplicationFactory factory([renderer] { return renderer; });
  Powerpoint1 pp(factory, ui_);
  ConversionRequest request;
  request.dpi = 192;
  request.transparent = true;
  request.skipHidden = true;
  request.slides = {{2, 0}};
  pp.SetRequest(request);
  pp.SaveEachSlideAsImage(Deck(), Out());
  EXPECT_TRUE(ui_.Reports().empty());
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"deck_Slide2.png", "deck_Slide4.png"}));
  EXPECT_EQ(test::ReadPng(out_ / "deck_Slide4.png").width, 1920);
  const std::vector<std::string> draws = [&] {
    std::vector<std::string> out;
    for (const std::string& entry : renderer->log)
      if (entry.rfind("draw", 0) == 0 || entry == "close" || entry == "end") out.push_back(entry);
    return out;
  }();
  EXPECT_EQ(draws, (std::vector<std::string>{"draw 2 1920x1080 transparent", "draw 4 1920x1080 transparent",
                                             "close", "end"}));
}
