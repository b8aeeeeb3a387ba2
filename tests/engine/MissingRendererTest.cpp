// The presentation application over LibreOffice when the renderer cannot
// start at all: the worker executable or LibreOffice itself is missing, or
// the confinement asked for is not understood. None needs LibreOffice to run.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/Error.h"
#include "base/OfficeLocation.h"
#include "engine/adapter/ApplicationFactory.h"
#include "engine/adapter/LibreOfficeApplicationFactory.h"
#include "engine/adapter/PresentationChecks.h"
#include "engine/render/RenderWorkerPool.h"
#include "tests/engine/OwnPoolTest.h"
#include "tests/support/ScriptedUi.h"

namespace qm::test {
namespace {

/// A factory over a pool of its own, with the test's worker settings.
class MissingRendererTest : public OwnPoolTest {};

TEST_F(MissingRendererTest, CreateFailsWhenTheWorkerIsMissing) {
  RenderWorkerSettings broken = settings_;
  broken.workerPath = scratch_ / "missing-worker";
  pool_->SetSettings(broken);
  EXPECT_NE(ErrorText([&] { Create(); }).find("The renderer is missing"), std::string::npos);
}

TEST_F(MissingRendererTest, InstalledCheckFailsWithTheMessageWhenLibreOfficeIsMissing) {
  ::setenv(kOfficeProgramVariable, (scratch_ / "no-office").c_str(), 1);
  ScriptedUi ui;
  ::testing::internal::CaptureStderr();
  const bool installed = CheckPowerPointInstalled(*factory_, ui);
  const std::string stderrText = ::testing::internal::GetCapturedStderr();
  ::unsetenv(kOfficeProgramVariable);
  EXPECT_FALSE(installed);
  // The box says what to install too: a start from the menu shows no standard error.
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].rfind(std::string(kNotInstalledMessage) + "\r\nLibreOffice Impress is not installed", 0), 0u)
      << ui.Messages()[0];
  EXPECT_NE(ui.Messages()[0].find("libreoffice-impress-nogui"), std::string::npos) << ui.Messages()[0];
  EXPECT_NE(stderrText.find("libreoffice-impress-nogui"), std::string::npos) << stderrText;
}

TEST_F(MissingRendererTest, AVariableNamingNoLayerOrNoWayOfDrawingStopsTheWorkerInsteadOfBeingIgnored) {
  // "all" once turned every layer off while --version said all were active.
  ::setenv("QUILLMERE_CONFINEMENT", "network,all", 1);
  const std::string error = ErrorText(
      [&] { Create()->GetPresentations().Open(scratch_ / "deck.pptx", false, false, true); });
  ::unsetenv("QUILLMERE_CONFINEMENT");
  EXPECT_NE(error.find("QUILLMERE_CONFINEMENT=network,all names \"all\", which is not a confinement layer"),
            std::string::npos) << error;
  // A misspelt way of drawing was taken as the default one, silently.
  ::setenv("QUILLMERE_SLIDE_DRAWING", "exprot", 1);
  const std::string drawing = ErrorText(
      [&] { Create()->GetPresentations().Open(scratch_ / "deck.pptx", false, false, true); });
  ::unsetenv("QUILLMERE_SLIDE_DRAWING");
  EXPECT_NE(drawing.find("QUILLMERE_SLIDE_DRAWING=exprot is not a way of drawing slides"), std::string::npos)
      << drawing;
}

}  // namespace
}  // namespace qm::test
