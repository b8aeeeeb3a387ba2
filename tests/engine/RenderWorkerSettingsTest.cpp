// Worker settings from the environment, worker folders, and the default size.

#include <gtest/gtest.h>

#include "base/Units.h"
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/render/RenderDocumentInfo.h"
#include "engine/render/RenderWorkerSettings.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "engine/render/WorkerFolder.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;


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

/// A line of /proc/meminfo in bytes, read here on its own.
std::uint64_t MemInfo(const std::string& key) {
  std::ifstream meminfo("/proc/meminfo");
  std::string name, unit;
  std::uint64_t kilobytes = 0;
  while (meminfo >> name >> kilobytes) {
    std::getline(meminfo, unit);
    if (name == key + ":") return kilobytes * 1024;
  }
  return 0;
}

constexpr std::uint64_t kGiB = 1ull << 30;

TEST(RenderWorkerSettings, UnboundedWorkerMemory_CeilingIsAShareOfTheMachineAndAtLeast1GiB) {
  const std::uint64_t total = MemInfo("MemTotal");
  ASSERT_GT(total, 0u);
  for (int jobs : {1, 2, 3, 8, 64}) {
    EXPECT_EQ(DefaultWorkerMemoryCeiling(jobs), std::max(kGiB, total / 4 * 3 / jobs)) << jobs;
  }
  EXPECT_EQ(DefaultWorkerMemoryCeiling(0), DefaultWorkerMemoryCeiling(1));
  EXPECT_EQ(DefaultWorkerMemoryCeiling(1 << 20), kGiB);
  EXPECT_EQ(RenderWorkerSettings().memoryCeilingBytes, DefaultWorkerMemoryCeiling(1));
}

TEST(RenderWorkerSettings, UnboundedWorkerMemory_CeilingComesFromTheEnvironmentInMegabytes) {
  {
    ScopedEnv a("QUILLMERE_WORKER_MEMORY_MB", nullptr);
    EXPECT_EQ(RenderWorkerSettings::FromEnvironment().memoryCeilingBytes,
              DefaultWorkerMemoryCeiling(1));
    EXPECT_EQ(RenderWorkerSettings::FromEnvironment(4).memoryCeilingBytes,
              DefaultWorkerMemoryCeiling(4));
  }
  {
    ScopedEnv a("QUILLMERE_WORKER_MEMORY_MB", "700");
    EXPECT_EQ(RenderWorkerSettings::FromEnvironment().memoryCeilingBytes, 700ull << 20);
    EXPECT_EQ(RenderWorkerSettings::FromEnvironment(4).memoryCeilingBytes, 700ull << 20);
  }
  for (const char* bad : {"abc", "-3", "0", "512MB", "1.5", ""}) {
    ScopedEnv a("QUILLMERE_WORKER_MEMORY_MB", bad);
    EXPECT_EQ(RenderWorkerSettings::FromEnvironment().memoryCeilingBytes,
              DefaultWorkerMemoryCeiling(1))
        << bad;
  }
}

TEST(RenderWorkerSettings, UnboundedWorkerMemory_MaxJobsCountsGigabyteWorkersInAvailableMemory) {
  const int jobs = MaxJobsForMemory();
  EXPECT_GE(jobs, 1);
  const std::uint64_t available = MemInfo("MemAvailable");
  ASSERT_GT(available, 0u);
  // MemAvailable moves between the two readings: allow one job either way.
  const auto expected = static_cast<long long>(available / 4 * 3 / kGiB);
  EXPECT_LE(std::llabs(jobs - std::max(1LL, expected)), 1) << available;
}

TEST(RenderWorkerSettings, TimeoutsAreDescribedInSeconds) {
  EXPECT_EQ(DescribeTimeout(milliseconds(60000)), "60 s");
  EXPECT_EQ(DescribeTimeout(milliseconds(1500)), "1.5 s");
}

TEST(PixelsFromTwips, DefaultSizeIsTheSlideAt96DpiRoundedToWholePixels) {
  RenderDocumentInfo info;
  info.widthTwips = 14400;  // 10 in
  info.heightTwips = 8100;  // 5.625 in
  EXPECT_EQ(PixelsFromTwips(info.widthTwips), 960);
  EXPECT_EQ(PixelsFromTwips(info.heightTwips), 540);
  info.widthTwips = 15876;  // 1058.4 px
  info.heightTwips = 8933;  // 595.53 px
  EXPECT_EQ(PixelsFromTwips(info.widthTwips), 1058);
  EXPECT_EQ(PixelsFromTwips(info.heightTwips), 596);
  info.widthTwips = 15 * 7 + 7;   // 7.47 px
  info.heightTwips = 15 * 7 + 8;  // 7.53 px
  EXPECT_EQ(PixelsFromTwips(info.widthTwips), 7);
  EXPECT_EQ(PixelsFromTwips(info.heightTwips), 8);
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
