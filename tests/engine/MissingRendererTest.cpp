// The presentation application over LibreOffice when the renderer cannot
// start at all: the worker executable or LibreOffice itself is missing.
// Neither needs LibreOffice to run.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Error.h"
#include "base/OfficeLocation.h"
#include "engine/adapter/ApplicationFactory.h"
#include "engine/adapter/LibreOfficeApplicationFactory.h"
#include "engine/adapter/PresentationChecks.h"
#include "engine/render/RenderWorkerPool.h"
#include "tests/engine/RenderTestBase.h"
#include "tests/support/ScriptedUi.h"

namespace qm::test {
namespace {

/// A factory over a pool of its own, with the test's worker settings.
class MissingRendererTest : public RenderTestBase {
 protected:
  void SetUp() override {
    RenderTestBase::SetUp();
    pool_ = std::make_shared<RenderWorkerPool>(settings_);
    factory_ = std::make_unique<LibreOfficeApplicationFactory>(pool_);
  }
  void ReleaseWorkers() override {
    factory_.reset();
    pool_.reset();
  }

  std::shared_ptr<Application> Create() { return factory_->Create("PowerPoint.Application"); }

  static std::string Message(const std::function<void()>& action) {
    try {
      action();
    } catch (const Error& error) {
      return error.what();
    }
    return "(no error)";
  }

  std::shared_ptr<RenderWorkerPool> pool_;
  std::unique_ptr<LibreOfficeApplicationFactory> factory_;
};

TEST_F(MissingRendererTest, CreateFailsWhenTheWorkerIsMissing) {
  RenderWorkerSettings broken = settings_;
  broken.workerPath = scratch_ / "missing-worker";
  pool_->SetSettings(broken);
  EXPECT_NE(Message([&] { Create(); }).find("The renderer is missing"), std::string::npos);
}

TEST_F(MissingRendererTest, InstalledCheckFailsWithTheMessageWhenLibreOfficeIsMissing) {
  ::setenv(kOfficeProgramVariable, (scratch_ / "no-office").c_str(), 1);
  ScriptedUi ui;
  ::testing::internal::CaptureStderr();
  const bool installed = CheckPowerPointInstalled(*factory_, ui);
  const std::string stderrText = ::testing::internal::GetCapturedStderr();
  ::unsetenv(kOfficeProgramVariable);
  EXPECT_FALSE(installed);
  EXPECT_EQ(ui.Messages(), std::vector<std::string>{kNotInstalledMessage});
  EXPECT_NE(stderrText.find("libreoffice-impress-nogui"), std::string::npos) << stderrText;
}

}  // namespace
}  // namespace qm::test
