// Worker settings from the environment, worker folders, and the default size.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/render/RenderDocumentInfo.h"
#include "engine/render/RenderWorkerSettings.h"
#include "tests/support/TempFolder.h"
#include "engine/render/WorkerFolder.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

/// Sets an environment variable for the scope of a test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = ::getenv(name);
    if (old != nullptr) old_ = old, hadOld_ = true;
    if (value != nullptr)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (hadOld_)
      ::setenv(name_, old_.c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool hadOld_ = false;
};

TEST(RenderWorkerSettings, WorkerIsLookedForBesideTheRunningProgram) {
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  const fs::path program(std::string(self, static_cast<std::size_t>(n)));
  EXPECT_EQ(DefaultRenderWorkerPath(),
            (program.parent_path() / "quillmere-render-worker").string());
}

TEST(RenderWorkerSettings, EnvironmentOverridesAcceptDecimalSeconds) {
  ScopedEnv a("QUILLMERE_OPEN_TIMEOUT", "2.5"), b("QUILLMERE_SLIDE_TIMEOUT", "7"),
      c("QUILLMERE_RENDER_WORKER", "/opt/x/worker");
  const RenderWorkerSettings settings = RenderWorkerSettings::FromEnvironment();
  EXPECT_EQ(settings.openTimeout, milliseconds(2500));
  EXPECT_EQ(settings.slideTimeout, milliseconds(7000));
  EXPECT_EQ(settings.workerPath, "/opt/x/worker");
}

TEST(RenderWorkerSettings, NonsenseTimeoutsAreIgnored) {
  for (const char* bad : {"abc", "-3", "0", "5s", ""}) {
    ScopedEnv a("QUILLMERE_SLIDE_TIMEOUT", bad);
    EXPECT_EQ(RenderWorkerSettings::FromEnvironment().slideTimeout, milliseconds(60000)) << bad;
  }
}

TEST(RenderWorkerSettings, TimeoutsAreDescribedInSeconds) {
  EXPECT_EQ(DescribeTimeout(milliseconds(60000)), "60 s");
  EXPECT_EQ(DescribeTimeout(milliseconds(1500)), "1.5 s");
}

TEST(RenderDocumentInfo, DefaultSizeIsTheSlideAt96DpiRoundedToWholePixels) {
  RenderDocumentInfo info;
  info.widthTwips = 14400;  // 10 in
  info.heightTwips = 8100;  // 5.625 in
  EXPECT_EQ(info.DefaultPixelWidth(), 960);
  EXPECT_EQ(info.DefaultPixelHeight(), 540);
  info.widthTwips = 15876;  // 1058.4 px
  info.heightTwips = 8933;  // 595.53 px
  EXPECT_EQ(info.DefaultPixelWidth(), 1058);
  EXPECT_EQ(info.DefaultPixelHeight(), 596);
  info.widthTwips = 15 * 7 + 7;   // 7.47 px
  info.heightTwips = 15 * 7 + 8;  // 7.53 px
  EXPECT_EQ(info.DefaultPixelWidth(), 7);
  EXPECT_EQ(info.DefaultPixelHeight(), 8);
}

TEST(WorkerFolder, IsPrivateAndGoneAfterwards) {
  TempFolder root;
  std::string path;
  {
    WorkerFolder folder(root.Path());
    path = folder.Path();
    EXPECT_EQ(fs::path(path).parent_path(), fs::path(root.Path()));
    EXPECT_EQ(fs::path(path).filename().string().rfind("quillmere-render-", 0), 0u);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_all);
    std::ofstream(path + "/worker.log") << "noise";
  }
  EXPECT_FALSE(fs::exists(path));
}

TEST(WorkerFolder, StaleFoldersOfVanishedWorkersAreSweptLiveOnesKept) {
  TempFolder root;
  const fs::path dead = fs::path(root.Path()) / "quillmere-render-dead01";
  const fs::path live = fs::path(root.Path()) / "quillmere-render-live01";
  const fs::path fresh = fs::path(root.Path()) / "quillmere-render-fresh1";  // no owner yet
  const fs::path other = fs::path(root.Path()) / "someone-elses";
  for (const auto& p : {dead, live, fresh, other}) fs::create_directories(p / "profile");
  std::ofstream(dead / "owner") << 999999999 << '\n';  // beyond pid_max: never running
  std::ofstream(live / "owner") << ::getpid() << '\n';
  std::ofstream(other / "owner") << 999999999 << '\n';
  WorkerFolder::RemoveStale(root.Path());
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(live));
  EXPECT_TRUE(fs::exists(fresh));
  EXPECT_TRUE(fs::exists(other));
}

TEST(WorkerFolder, UncreatableFolderIsAnErrorNamingTheRoot) {
  try {
    WorkerFolder folder("/nonexistent-root-for-quillmere");
    ADD_FAILURE() << "a folder was made under a missing root";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("/nonexistent-root-for-quillmere"), std::string::npos);
  }
}

}  // namespace
}  // namespace qm::test
