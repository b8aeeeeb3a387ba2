// The render worker for real: LibreOffice renders the test decks, all
// through one shared warm worker.

#include <gtest/gtest.h>

#include "base/Units.h"
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "tests/engine/BitmapChecks.h"
#include "tests/support/DeckCatalog.h"
#include "base/Error.h"
#include "tests/engine/RenderTestBase.h"
#include "engine/render/RenderWorker.h"
#include "tests/engine/SharedRenderWorker.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

/// Largest edge deviation accepted: slides have one solid background and the
/// image is the slide edge to edge, so the outermost pixels must show it
/// exactly; the editing view's page outline differs by about 100.
constexpr int kEdgeTolerance = 3;

/// A one-page drawing in flat OpenDocument form.
constexpr const char* kFlatDrawing = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" office:version="1.3"
  office:mimetype="application/vnd.oasis.opendocument.graphics">
 <office:body><office:drawing><draw:page draw:name="page1"/></office:drawing></office:body>
</office:document>
)";

/// Rendering and refusals through the one warm worker the whole program
/// shares: nothing here is about the worker's own life.
class RenderWorkerTest : public RenderTestBase {
 protected:
  void SetUp() override {
    RenderTestBase::SetUp();
    // Started before the leak snapshot: the shared worker outlives the test.
    SharedRenderWorker::Get(settings_);
    TakeLeakSnapshot();
  }
  void ReleaseWorkers() override { SharedRenderWorker::CloseDocument(); }

  RenderWorker& Worker() { return SharedRenderWorker::Get(settings_); }
};

// --- Rendering: size, colour and clean edges, deck by deck -----------------

class DeckRenderingTest : public RenderWorkerTest,
                          public ::testing::WithParamInterface<std::string> {};

TEST_P(DeckRenderingTest, EverySlideHasTheSlideSizeAt96DpiAndItsBackgroundColour) {
  const DeckCatalog& catalog = DeckCatalog::Default();
  if (!catalog.Has(GetParam())) GTEST_SKIP() << GetParam() << " was not generated";
  const CatalogDeck& deck = catalog.Deck(GetParam());

  const RenderDocumentInfo info = Worker().Open(deck.path);
  ASSERT_EQ(info.slideCount, deck.slides);
  EXPECT_EQ(PixelsFromTwips(info.widthTwips), deck.widthPx);
  EXPECT_EQ(PixelsFromTwips(info.heightTwips), deck.heightPx);

  for (int n = 1; n <= deck.slides; ++n) {
    SCOPED_TRACE(deck.name + " slide " + std::to_string(n));
    const std::string path = out_ / ("slide" + std::to_string(n) + ".bmp");
    const auto size = Worker().Export(n - 1, path);
    EXPECT_EQ(size, std::make_pair(deck.widthPx, deck.heightPx));
    const Bitmap bitmap = LoadBitmap(path);
    ASSERT_EQ(bitmap.width, deck.widthPx);
    ASSERT_EQ(bitmap.height, deck.heightPx);
    EXPECT_LE(WorstSamplePoint(bitmap, deck.colours[n - 1], catalog.SampleInset()),
              catalog.Tolerance());
  }
}

TEST_P(DeckRenderingTest, NoPageOutlineOrStrayPixelOnAnyOfTheFourEdges) {
  const DeckCatalog& catalog = DeckCatalog::Default();
  if (!catalog.Has(GetParam())) GTEST_SKIP() << GetParam() << " was not generated";
  const CatalogDeck& deck = catalog.Deck(GetParam());

  Worker().Open(deck.path);
  for (int n = 1; n <= deck.slides; ++n) {
    const std::string path = out_ / ("slide" + std::to_string(n) + ".bmp");
    Worker().Export(n - 1, path);
    const EdgeReport edge = WorstEdgePixel(LoadBitmap(path), deck.colours[n - 1]);
    EXPECT_LE(edge.worst, kEdgeTolerance) << deck.name << " slide " << n << ": " << edge.where;
  }
}

INSTANTIATE_TEST_SUITE_P(Decks, DeckRenderingTest,
                         ::testing::Values("wide3.pptx", "std4.pptx", "hidden5.pptx",
                                           "custom2.pptx", "widescreen2.pptx", "wide3.ppt",
                                           "std4.ppt"),
                         [](const auto& deckParam) {
                           std::string name = deckParam.param;
                           for (char& ch : name) {
                             if (ch == '.') ch = '_';
                           }
                           return name;
                         });

TEST_F(RenderWorkerTest, HiddenSlideCountsAndRendersWithItsOwnColour) {
  const CatalogDeck& deck = DeckCatalog::Default().Deck("hidden5.pptx");
  ASSERT_EQ(deck.hidden, std::vector<int>{3});
  EXPECT_EQ(Worker().Open(deck.path).slideCount, 5);
  const std::string path = out_ / "hidden.bmp";
  Worker().Export(2, path);
  const Bitmap bitmap = LoadBitmap(path);
  EXPECT_LE(WorstSamplePoint(bitmap, deck.colours[2], 0.1), DeckCatalog::Default().Tolerance());
  EXPECT_LE(WorstEdgePixel(bitmap, deck.colours[2]).worst, kEdgeTolerance);
}

TEST_F(RenderWorkerTest, ScaledExportsHaveTheAskedSizeAndCleanEdges) {
  const CatalogDeck& deck = DeckCatalog::Default().Deck("wide3.pptx");
  Worker().Open(deck.path);
  struct Case {
    int width, height, wantWidth, wantHeight;
  };
  for (const Case& c : {Case{480, 0, 480, 270}, Case{0, 1080, 1920, 1080},
                        Case{1920, 1080, 1920, 1080}, Case{333, 222, 333, 222}}) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    const std::string path = out_ / "scaled.bmp";
    EXPECT_EQ(Worker().Export(1, path, {c.width, c.height}),
              std::make_pair(c.wantWidth, c.wantHeight));
    const Bitmap bitmap = LoadBitmap(path);
    EXPECT_EQ(bitmap.width, c.wantWidth);
    EXPECT_EQ(bitmap.height, c.wantHeight);
    EXPECT_LE(WorstEdgePixel(bitmap, deck.colours[1]).worst, kEdgeTolerance)
        << WorstEdgePixel(bitmap, deck.colours[1]).where;
  }
  ExpectError([&] { Worker().Export(0, out_ / "huge.bmp", {100000, 100000}); },
              {deck.path, "slide 1", "too large"});
  EXPECT_TRUE(Worker().Usable());
}

TEST_F(RenderWorkerTest, FileNamesWithSpacesHashesPercentAndAccentsOpen) {
  const std::string odd = scratch_ / "dé ck #1 %20 ?.pptx";
  fs::copy_file(DeckCatalog::Default().Deck("std4.pptx").path, odd);
  EXPECT_EQ(Worker().Open(odd).slideCount, 4);
  const std::string bitmap = out_ / "ré sult #2.bmp";
  Worker().Export(3, bitmap);
  EXPECT_EQ(LoadBitmap(bitmap).width, 960);
}

// --- Refusals: the worker says no, names the file and stays usable ----------

TEST_F(RenderWorkerTest, SlideIndexOutsideTheDeckIsRefusedAndTheWorkerGoesOn) {
  const CatalogDeck& deck = DeckCatalog::Default().Deck("wide3.pptx");
  Worker().Open(deck.path);
  ExpectError([&] { Worker().Export(-1, out_ / "a.bmp"); }, {deck.path, "there is no slide 0"});
  ExpectError([&] { Worker().Export(3, out_ / "b.bmp"); }, {deck.path, "there is no slide 4"});
  EXPECT_FALSE(fs::exists(out_ / "a.bmp"));
  EXPECT_FALSE(fs::exists(out_ / "b.bmp"));
  EXPECT_TRUE(Worker().Usable());
  EXPECT_EQ(Worker().Export(2, out_ / "c.bmp").first, 960);
}

TEST_F(RenderWorkerTest, PasswordProtectedDecksFailAtOnceWithoutAsking) {
  // Waiting for a password would end in a time-out (and a killed worker)
  // instead of this refusal.
  int checked = 0;
  for (const char* name : {"password.pptx", "password.odp"}) {
    if (!DeckCatalog::Default().Has(name)) continue;
    const std::string path = DeckCatalog::Default().PathOf(name);
    ExpectError([&] { Worker().Open(path); }, {path, "is password-protected"});
    EXPECT_TRUE(Worker().Usable());
    ++checked;
  }
  if (checked == 0) GTEST_SKIP() << "no password-protected deck was generated";
  EXPECT_EQ(Worker().Open(DeckCatalog::Default().PathOf("wide3.pptx")).slideCount, 3);
}

TEST_F(RenderWorkerTest, FilesThatAreNotPresentationsAreRefused) {
  const DeckCatalog& catalog = DeckCatalog::Default();
  ExpectError([&] { Worker().Open(catalog.PathOf("notes.pptx")); },
              {catalog.PathOf("notes.pptx"), "could not be opened"});
  // LibreOffice 25.2 asks whether to repair this one, and waits on the
  // answer: refused, not a time-out.
  ExpectError([&] { Worker().Open(catalog.PathOf("truncated.pptx")); },
              {catalog.PathOf("truncated.pptx"), "could not be opened"});
  // Without Calc installed LibreOffice cannot read a spreadsheet at all;
  // with it, the document type check refuses it. Either way: refused.
  ExpectError([&] { Worker().Open(catalog.PathOf("sheet.xlsx")); }, {catalog.PathOf("sheet.xlsx")});
  // A drawing opens (Draw comes with Impress), and is still no presentation.
  const std::string drawing = scratch_ / "sketch.fodg";
  std::ofstream(drawing) << kFlatDrawing;
  ExpectError([&] { Worker().Open(drawing); },
              {drawing, "not a presentation (the file opens as a drawing)"});
  ExpectError([&] { Worker().Open(catalog.PathOf("empty.pptx")); },
              {catalog.PathOf("empty.pptx"), "the file is empty"});
  ExpectError([&] { Worker().Open(scratch_ / "missing.pptx"); },
              {scratch_ / "missing.pptx", "does not exist"});
  ExpectError([&] { Worker().Open(scratch_.Path()); }, {scratch_.Path(), "folder"});
  // A text document (LibreOffice opens it in Writer) is not a presentation.
  const std::string text = scratch_ / "letter.txt";
  std::ofstream(text) << "Dear reader,\n\nthis is a letter, not a slide show.\n";
  ExpectError([&] { Worker().Open(text); }, {text});
  EXPECT_TRUE(Worker().Usable());
  EXPECT_FALSE(Worker().HasDocument());
  ExpectError([&] { Worker().Export(0, out_ / "none.bmp"); }, {"not open"});
  EXPECT_EQ(Worker().Open(catalog.PathOf("std4.pptx")).slideCount, 4);
}

TEST_F(RenderWorkerTest, ExportIntoAMissingFolderNamesTheSlideAndLeavesNoTemporary) {
  const CatalogDeck& deck = DeckCatalog::Default().Deck("wide3.pptx");
  Worker().Open(deck.path);
  const std::string bitmap = out_ / "no such folder/slide.bmp";
  // Said of the folder: the name of the file being made is no one's concern.
  ExpectError([&] { Worker().Export(0, bitmap); },
              {deck.path, "slide 1", "could not be exported: cannot write into " + out_ / "no such folder" +
                                         ": no such file or directory"});
  EXPECT_TRUE(Worker().Usable());
}

}  // namespace
}  // namespace qm::test
