// The presentation application interface over LibreOffice: what the exporters
// rely on, and the warm worker behind it.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "tests/engine/BitmapChecks.h"
#include "tests/support/DeckCatalog.h"
#include "base/Error.h"
#include "engine/adapter/LibreOfficeApplicationFactory.h"
#include "engine/adapter/PresentationChecks.h"
#include "tests/engine/OwnPoolTest.h"
#include "engine/render/RenderWorkerPool.h"
#include "tests/support/ScriptedUi.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

/// Each test gets a pool (and so workers) of its own: these tests watch the
/// pool start, keep, recycle and replace workers.
class LibreOfficeAdapterTest : public OwnPoolTest {
 protected:
  std::shared_ptr<Presentation> Open(Application& app, const std::string& deck) {
    return app.GetPresentations().Open(DeckCatalog::Default().PathOf(deck), false, false, true);
  }

  /// One exporter's round: create, open, export slide `n`, close, quit.
  void ConvertOnce(const std::string& deck, int n) {
    auto app = Create();
    app->SetVisible(true);
    auto presentation = Open(*app, deck);
    presentation->GetSlides()
        .Item(static_cast<std::int16_t>(n))
        ->Export(out_ / "round.bmp", "BMP", 0, 0);
    presentation->Close();
    app->Quit();
  }

};

/// The adapter's behaviour that does not depend on the worker's life, through
/// one pool the whole suite shares, so its tests run on one warm worker.
class AdapterOnWarmWorkerTest : public LibreOfficeAdapterTest {
 protected:
  std::shared_ptr<RenderWorkerPool> MakePool() override {
    // The pool's folder is declared first, so it is removed after the pool.
    struct Shared {
      TempFolder root;
      std::shared_ptr<RenderWorkerPool> pool;
    };
    static Shared shared;
    if (!shared.pool) {
      RenderWorkerSettings own = settings_;
      own.tempRoot = shared.root.Path();
      shared.pool = std::make_shared<RenderWorkerPool>(own);
    }
    // Warm before the leak snapshot: the worker outlives the test.
    shared.pool->Release(shared.pool->Acquire());
    TakeLeakSnapshot();
    return shared.pool;
  }
};

// --- The application object -------------------------------------------------

TEST_F(AdapterOnWarmWorkerTest, NameIsNeverMicrosoftPowerPoint) {
  EXPECT_EQ(Create()->Name(), "LibreOffice Impress");
}

TEST_F(LibreOfficeAdapterTest, AttachFailsEvenWhileOurOwnWorkersRun) {
  auto app = Create();
  auto presentation = Open(*app, "wide3.pptx");  // a worker runs now
  EXPECT_EQ(ErrorText([&] { factory_->Attach("PowerPoint.Application"); }),
            "No presentation application is running");
  EXPECT_EQ(pool_->WorkersStarted(), 1);  // Attach started nothing
}

TEST_F(LibreOfficeAdapterTest, CreateRefusesOtherClassesWithoutStartingAWorker) {
  EXPECT_NE(ErrorText([&] { factory_->Create("Word.Application"); }).find("Word.Application"),
            std::string::npos);
  EXPECT_EQ(pool_->WorkersStarted(), 0);
  EXPECT_NO_THROW(factory_->Create("powerpoint.application"));  // class names ignore case
}

// --- Slides -------------------------------------------------------------------

TEST_F(AdapterOnWarmWorkerTest, ItemFailsOutsideOneToCountAndCountIncludesHiddenSlides) {
  auto app = Create();
  auto presentation = Open(*app, "hidden5.pptx");
  Slides& slides = presentation->GetSlides();
  ASSERT_EQ(slides.Count(), 5);
  const std::string path = DeckCatalog::Default().PathOf("hidden5.pptx");
  EXPECT_EQ(ErrorText([&] { slides.Item(0); }),
            path + ": there is no slide 0 (the presentation has 5 slides)");
  EXPECT_EQ(ErrorText([&] { slides.Item(-1); }),
            path + ": there is no slide -1 (the presentation has 5 slides)");
  EXPECT_EQ(ErrorText([&] { slides.Item(6); }),
            path + ": there is no slide 6 (the presentation has 5 slides)");
  for (std::int16_t n = 1; n <= 5; ++n) EXPECT_NE(slides.Item(n), nullptr);
}

TEST_F(AdapterOnWarmWorkerTest, BmpExportAtScaleZeroWritesTheSlideAt96Dpi) {
  const CatalogDeck& deck = DeckCatalog::Default().Deck("std4.pptx");
  auto app = Create();
  auto presentation = Open(*app, deck.name);
  for (std::int16_t n = 1; n <= 4; ++n) {
    const std::string bitmap = out_ / ("std4_Slide" + std::to_string(n) + ".bmp");
    presentation->GetSlides().Item(n)->Export(bitmap, "BMP", 0, 0);
    const Bitmap image = LoadBitmap(bitmap);
    EXPECT_EQ(image.width, 960);
    EXPECT_EQ(image.height, 720);
    EXPECT_LE(WorstSamplePoint(image, deck.colours[n - 1], 0.1),
              DeckCatalog::Default().Tolerance());
  }
}

TEST_F(AdapterOnWarmWorkerTest, OtherFiltersAndNegativeScalesAreRefusedClearly) {
  auto app = Create();
  auto presentation = Open(*app, "wide3.pptx");
  auto slide = presentation->GetSlides().Item(2);
  EXPECT_NE(ErrorText([&] {
              slide->Export(out_ / "x.png", "PNG", 0, 0);
            }).find("slide 2 cannot be exported as \"PNG\"; only BMP is supported"),
            std::string::npos);
  EXPECT_NE(ErrorText([&] { slide->Export(out_ / "x.bmp", "BMP", -1, 0); }).find("negative"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(out_ / "x.png"));
  slide->Export(out_ / "half.bmp", "bmp", 480, 0);  // a positive scale is the size in pixels
  const Bitmap half = LoadBitmap(out_ / "half.bmp");
  EXPECT_EQ(half.width, 480);
  EXPECT_EQ(half.height, 270);
}

// --- Lifetimes ------------------------------------------------------------------

TEST_F(AdapterOnWarmWorkerTest, ClosedPresentationRefusesItsSlides) {
  auto app = Create();
  auto presentation = Open(*app, "wide3.pptx");
  Slides& slides = presentation->GetSlides();
  auto slide = slides.Item(1);
  presentation->Close();
  EXPECT_NO_THROW(presentation->Close());  // twice is harmless
  const std::string path = DeckCatalog::Default().PathOf("wide3.pptx");
  EXPECT_EQ(ErrorText([&] { presentation->GetSlides(); }), path + ": the presentation is closed");
  EXPECT_EQ(ErrorText([&] { slides.Count(); }), path + ": the presentation is closed");
  EXPECT_EQ(ErrorText([&] { slide->Export(out_ / "late.bmp", "BMP", 0, 0); }),
            path + ": the presentation is closed");
}

TEST_F(AdapterOnWarmWorkerTest, OpeningAnotherPresentationClosesTheFirst) {
  auto app = Create();
  auto first = Open(*app, "wide3.pptx");
  auto second = Open(*app, "std4.pptx");
  EXPECT_NE(ErrorText([&] { first->GetSlides(); }).find("closed"), std::string::npos);
  EXPECT_EQ(second->GetSlides().Count(), 4);
}

TEST_F(LibreOfficeAdapterTest, PresentationOutlivesItsApplicationAndReleasingItReturnsTheWorker) {
  auto app = Create();
  auto presentation = Open(*app, "wide3.pptx");
  app.reset();  // released before the presentation, as the exporters do
  presentation->GetSlides().Item(3)->Export(out_ / "3.bmp", "BMP", 0, 0);
  EXPECT_EQ(LoadBitmap(out_ / "3.bmp").width, 960);
  EXPECT_FALSE(pool_->HasWarmWorker());
  presentation.reset();
  EXPECT_TRUE(pool_->HasWarmWorker());
}

TEST_F(LibreOfficeAdapterTest, QuitEndsTheSessionButKeepsTheWorkerWarm) {
  auto app = Create();
  auto presentation = Open(*app, "wide3.pptx");
  app->Quit();
  EXPECT_TRUE(pool_->HasWarmWorker());
  const pid_t warm = pool_->WarmWorkerPid();
  EXPECT_NE(ErrorText([&] { presentation->GetSlides(); }).find("closed"), std::string::npos);
  EXPECT_NE(ErrorText([&] { Open(*app, "std4.pptx"); }).find("has quit"), std::string::npos);
  EXPECT_NE(ErrorText([&] { app->SetVisible(true); }).find("has quit"), std::string::npos);

  ConvertOnce("std4.pptx", 2);
  EXPECT_EQ(pool_->WorkersStarted(), 1);  // the second session reused the warm worker
  EXPECT_EQ(pool_->WarmWorkerPid(), warm);
}

TEST_F(LibreOfficeAdapterTest, WarmWorkerIsRecycledAfterTheDocumentLimit) {
  RenderWorkerSettings settings = settings_;
  settings.recycleAfterDocuments = 2;
  pool_->SetSettings(settings);
  ConvertOnce("wide3.pptx", 1);
  ConvertOnce("wide3.pptx", 2);  // second document: due, ended on Quit
  EXPECT_FALSE(pool_->HasWarmWorker());
  ConvertOnce("wide3.pptx", 3);
  EXPECT_EQ(pool_->WorkersStarted(), 2);
}

TEST_F(LibreOfficeAdapterTest, WarmWorkerIsRecycledAboveTheMemoryBound) {
  RenderWorkerSettings settings = settings_;
  settings.recycleAboveBytes = 1;  // every worker is larger than this
  pool_->SetSettings(settings);
  ConvertOnce("wide3.pptx", 1);
  EXPECT_FALSE(pool_->HasWarmWorker());
  ConvertOnce("wide3.pptx", 1);
  EXPECT_EQ(pool_->WorkersStarted(), 2);
}

TEST_F(LibreOfficeAdapterTest, WarmWorkerThatDiedWhileIdleIsReplaced) {
  ConvertOnce("wide3.pptx", 1);
  const pid_t warm = pool_->WarmWorkerPid();
  ASSERT_GT(warm, 0);
  ASSERT_EQ(::kill(warm, SIGKILL), 0);
  ASSERT_TRUE(WaitUntilDead(warm));
  ConvertOnce("std4.pptx", 4);
  EXPECT_EQ(pool_->WorkersStarted(), 2);
  EXPECT_TRUE(ProcessGone(warm));
}

TEST_F(LibreOfficeAdapterTest, CrashDuringASlideFailsOnlyThatSlideAndTheRestStillExport) {
  const CatalogDeck& deck = DeckCatalog::Default().Deck("std4.pptx");
  auto app = Create();
  auto presentation = Open(*app, deck.name);
  Slides& slides = presentation->GetSlides();
  slides.Item(1)->Export(out_ / "1.bmp", "BMP", 0, 0);
  // The session's worker is the only one; its folder names its process.
  const std::string folder = [&] {
    for (const std::string& name : root_.Names()) return root_ / name;
    return std::string();
  }();
  std::ifstream owner(folder + "/owner");
  pid_t pid = 0;
  ASSERT_TRUE(owner >> pid);
  ASSERT_EQ(::kill(pid, SIGKILL), 0);
  EXPECT_NE(ErrorText([&] {
              slides.Item(2)->Export(out_ / "2.bmp", "BMP", 0, 0);
            }).find(deck.path + ": the renderer stopped unexpectedly (signal 9)"),
            std::string::npos);
  // The next slide gets a fresh worker with the presentation opened again.
  slides.Item(3)->Export(out_ / "3.bmp", "BMP", 0, 0);
  EXPECT_LE(WorstSamplePoint(LoadBitmap(out_ / "3.bmp"), deck.colours[2], 0.1),
            DeckCatalog::Default().Tolerance());
  presentation->Close();
  app->Quit();
  EXPECT_EQ(pool_->WorkersStarted(), 2);
  EXPECT_TRUE(pool_->HasWarmWorker());
  EXPECT_TRUE(ProcessGone(pid));
}

TEST_F(AdapterOnWarmWorkerTest, PasswordProtectedDeckFailsThroughTheAdapter) {
  if (!DeckCatalog::Default().Has("password.pptx")) GTEST_SKIP() << "no password deck generated";
  auto app = Create();
  const std::string path = DeckCatalog::Default().PathOf("password.pptx");
  EXPECT_EQ(ErrorText([&] { Open(*app, "password.pptx"); }),
            path + ": the presentation is password-protected");
  EXPECT_EQ(Open(*app, "wide3.pptx")->GetSlides().Count(), 3);
}

// --- The checks with the real renderer ------------------------------------------

TEST_F(LibreOfficeAdapterTest, InstalledCheckPassesSilentlyAndStartsNoRenderer) {
  // The window checks at start-up; its conversions run in jobs, so a
  // renderer started for the check would only sit in the window's process.
  ScriptedUi ui;
  EXPECT_TRUE(CheckPowerPointInstalled(*factory_, ui));
  EXPECT_TRUE(ui.calls.empty());
  EXPECT_EQ(pool_->WorkersStarted(), 0);
  ConvertOnce("wide3.pptx", 1);
  EXPECT_EQ(pool_->WorkersStarted(), 1);
}

TEST_F(AdapterOnWarmWorkerTest, OurWorkersNeverCountAsARunningPowerPoint) {
  auto app = Create();
  ScriptedUi ui;
  EXPECT_FALSE(IsPowerPointRunning(*factory_));
  EXPECT_FALSE(WarnIfPowerPointOpen(*factory_, ui));
  EXPECT_TRUE(ui.calls.empty());
}

}  // namespace
}  // namespace qm::test
