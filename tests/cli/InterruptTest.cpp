// quillmere-batch stopped in the middle of a run, as a person stops it: Ctrl+C
// at the terminal (SIGINT to the whole process group), a kill of the program
// alone, or a closed pipe. Nothing may go on converting and nothing may be
// left behind: no job, no renderer, no renderer folder, no temporary file,
// nothing in shared memory.

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "tests/support/DeckCatalog.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;
namespace fs = std::filesystem;

namespace {

/// Processes that carry `mark` in their environment: the program, its jobs
/// and their renderers (they inherit it), and nothing of other tests.
int ProcessesMarked(const std::string& mark) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    std::ifstream environ(entry.path() / "environ", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(environ)), {});
    if (text.find(mark) != std::string::npos) ++count;
  }
  return count;
}

std::vector<std::string> Leftovers(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name[0] == '.' || name.rfind("quillmere-render-", 0) == 0) names.push_back(name);
  }
  return names;
}

/// Our names in shared memory (/dev/shm), which a killed process cannot
/// clean up: a program of ours that kept something there must leave nothing.
std::set<std::string> SharedMemoryNames() {
  std::set<std::string> names;
  std::error_code code;
  for (const auto& entry : fs::directory_iterator("/dev/shm", code)) {
    const std::string name = entry.path().filename().string();
    if (name.find("quillmere") != std::string::npos) names.insert(name);
  }
  return names;
}

class Interrupt : public ::testing::Test {
 protected:
  void SetUp() override {
    sharedMemoryBefore_ = SharedMemoryNames();
    // Twenty decks, so the run is surely under way when it is stopped.
    const std::string deck = DeckCatalog::Default().Deck("std4.pptx").path;
    for (int i = 0; i < 20; ++i)
      fs::copy_file(deck, in_.Path() + "/deck" + std::to_string(i) + ".pptx");
    mark_ = "QM_INTERRUPT_MARK=" + std::to_string(::getpid()) + "-" + std::to_string(++runs_);
  }

  /// Starts quillmere-batch in a process group of its own, as a shell does,
  /// and returns once it has started converting.
  pid_t Start() {
    int pipeFds[2];
    EXPECT_EQ(::pipe(pipeFds), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::setpgid(0, 0);
      ::dup2(pipeFds[1], STDERR_FILENO);
      ::close(pipeFds[0]);
      ::putenv(mark_.data());
      ::setenv("TMPDIR", temp_.Path().c_str(), 1);
      ::execl(QM_BATCH_BIN, QM_BATCH_BIN, "-j", "2", "-o", out_.Path().c_str(),
              in_.Path().c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::setpgid(pid, pid);
    ::close(pipeFds[1]);
    stderr_ = pipeFds[0];
    // "[1/20] ..." and "[2/20] ..." lines: both jobs are converting.
    std::string seen;
    char buffer[256];
    while (seen.find("[2/") == std::string::npos) {
      const ssize_t n = ::read(stderr_, buffer, sizeof buffer);
      if (n <= 0) break;
      seen.append(buffer, static_cast<std::size_t>(n));
    }
    return pid;
  }

  /// Waits for the program; its exit status, or -signal.
  int Finish(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(stderr_);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  }

  void ExpectNothingLeftWithinTwoSeconds() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (ProcessesMarked(mark_) > 0 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ProcessesMarked(mark_), 0) << "a job or renderer went on after the program ended";
    const auto temp = Leftovers(temp_.Path());
    EXPECT_TRUE(temp.empty()) << "renderer folder left: " << temp.front();
    const auto out = Leftovers(out_.Path());
    EXPECT_TRUE(out.empty()) << "temporary file left: " << out.front();
    EXPECT_EQ(SharedMemoryNames(), sharedMemoryBefore_) << "left in /dev/shm";
  }

  TempFolder in_, out_, temp_;
  std::set<std::string> sharedMemoryBefore_;
  std::string mark_;
  int stderr_ = -1;
  static inline int runs_ = 0;
};

TEST_F(Interrupt, CtrlCStopsEveryJobExitsWith130AndLeavesNothing) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const pid_t pid = Start();
    ::kill(-pid, SIGINT);
    EXPECT_EQ(Finish(pid), 130);
    ExpectNothingLeftWithinTwoSeconds();
  }
}

TEST_F(Interrupt, TermToTheProgramAloneStillStopsItsJobs) {
  const pid_t pid = Start();
  ::kill(pid, SIGTERM);
  EXPECT_EQ(Finish(pid), 143);
  ExpectNothingLeftWithinTwoSeconds();
}

TEST_F(Interrupt, KillingTheProgramOutrightLeavesNoJobOrRendererRunning) {
  const pid_t pid = Start();
  ::kill(pid, SIGKILL);
  EXPECT_EQ(Finish(pid), -SIGKILL);
  // Without the program the jobs get SIGTERM and clean up after themselves.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (ProcessesMarked(mark_) > 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ProcessesMarked(mark_), 0);
  EXPECT_TRUE(Leftovers(temp_.Path()).empty());
  EXPECT_EQ(SharedMemoryNames(), sharedMemoryBefore_) << "left in /dev/shm";
}

TEST_F(Interrupt, AClosedOutputPipeEndsTheRunLikeAStop) {
  const pid_t pid = Start();
  ::close(stderr_);  // the reader went away, as `| head -1` does
  stderr_ = -1;
  EXPECT_EQ(Finish(pid), 128 + SIGPIPE);
  ExpectNothingLeftWithinTwoSeconds();
}

}  // namespace
