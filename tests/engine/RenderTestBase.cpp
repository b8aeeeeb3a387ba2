#include "tests/engine/RenderTestBase.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/render/WorkerFolder.h"

namespace qm::test {

namespace fs = std::filesystem;

void RenderTestBase::SetUp() {
  settings_ = RenderWorkerSettings();
  settings_.workerPath = QM_RENDER_WORKER;
  settings_.tempRoot = root_.Path();
  settings_.openTimeout = std::chrono::seconds(90);
  settings_.slideTimeout = std::chrono::seconds(60);
  TakeLeakSnapshot();
}

void RenderTestBase::TakeLeakSnapshot() {
  leaks_.emplace();
  leaks_->WatchFolder(out_.Path());
  leaks_->WatchFolder(scratch_.Path());
}

void RenderTestBase::TearDown() {
  ReleaseWorkers();
  if (leaks_) leaks_->ExpectNoLeaks();
  EXPECT_EQ(WorkerFolderCount(), 0) << "a worker folder was left in " << root_.Path();
  for (const std::string& name : out_.Names()) {
    EXPECT_EQ(fs::path(name).extension(), ".bmp") << "stray file beside the bitmaps: " << name;
    EXPECT_NE(name[0], '.') << "stray temporary file beside the bitmaps: " << name;
  }
  std::error_code code;
  for (const auto& entry : fs::directory_iterator(QM_TEST_DECKS, code)) {
    const std::string name = entry.path().filename().string();
    EXPECT_NE(name.rfind(".~lock", 0), 0u) << "LibreOffice lock file left: " << name;
  }
}

std::string RenderTestBase::WriteScript(const std::string& name, const std::string& body) {
  const std::string path = scratch_ / name;
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  ::chmod(path.c_str(), 0755);
  return path;
}

std::string RenderTestBase::HelloPrintf(unsigned version) {
  // length 13, kHello, "QMRW", version, pid 0 - octal escapes for dash's printf
  return "printf '\\015\\000\\000\\000\\001QMRW\\" + std::to_string(version / 64 % 8) +
         std::to_string(version / 8 % 8) + std::to_string(version % 8) +
         "\\000\\000\\000\\000\\000\\000\\000' >&3";
}

int RenderTestBase::WorkerFolderCount() const {
  int count = 0;
  for (const std::string& name : root_.Names()) {
    if (name.rfind(WorkerFolder::kPrefix, 0) == 0) ++count;
  }
  return count;
}

bool RenderTestBase::WaitUntilDead(int pid) {
  // /proc shows "Z" as soon as the main thread is gone, but a process with
  // many threads becomes reapable only when the last one has ended; waitid
  // with WNOWAIT tells exactly that, and leaves the reaping to the code under
  // test.
  for (int i = 0; i < 1000; ++i) {
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
      return errno == ECHILD;
    }
    if (info.si_pid == pid) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

bool RenderTestBase::ProcessGone(int pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace qm::test
