// The render worker's faults of life, for real: its owner dying, the home folder,
// the memory ceiling, the wait hook and the partial output of a killed worker.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "tests/engine/BitmapChecks.h"
#include "tests/support/DeckCatalog.h"
#include "base/Error.h"
#include "base/TemporaryName.h"
#include "tests/engine/OwnWorkerTest.h"
#include "engine/adapter/LibreOfficeSession.h"
#include "engine/render/RenderWorker.h"
#include "engine/render/RenderWorkerPool.h"
#include "tests/support/ScopedEnv.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;


/// True when process `pid` is gone or a zombie (it holds no memory any more).
bool ProcessEnded(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  const auto close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

/// Every entry under `folder`, sub-folders included, one a line.
std::string TreeListing(const std::string& folder) {
  std::string listing;
  std::error_code code;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, code)) {
    listing += entry.path().string() + "\n";
  }
  return listing;
}

/// What a wait hook throws to ask for a stop (as the batch job's cancel will).
struct StopAsked {};

class WorkerFaultsTest : public OwnWorkerTest {};

// --- The owner's end: no worker and no worker folder outlive it -------------------

/// Makes this process the child subreaper while it lives, so a worker whose
/// owner (our child) dies becomes our child: its end can then be seen
/// exactly, and it is reaped here.
class AdoptOrphans {
 public:
  AdoptOrphans() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }
  ~AdoptOrphans() { ::prctl(PR_SET_CHILD_SUBREAPER, 0); }
};

class OwnerDeathTest : public WorkerFaultsTest {
 protected:
  enum class When { kStartingUp, kExporting };

  /// `tries` times: a forked child (the owner) starts a worker and exports
  /// the slides of std4.pptx in a loop; after a random pause the owner gets
  /// `signal`, either while its worker starts or in the middle of the
  /// exports. Within 2 s of it every process the owner left (its worker and
  /// whatever that started; as our children now, see AdoptOrphans) must have
  /// ended and no worker folder may remain.
  void KillOwners(int signal, When when, int tries) {
    const AdoptOrphans adopt;
    const CatalogDeck& deck = DeckCatalog::Default().Deck("std4.pptx");
    std::mt19937 random(static_cast<unsigned>(::getpid()) * 31u + static_cast<unsigned>(signal));
    for (int attempt = 1; attempt <= tries; ++attempt) {
      SCOPED_TRACE("attempt " + std::to_string(attempt));
      int fds[2];
      ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
      const pid_t owner = ::fork();
      ASSERT_GE(owner, 0);
      if (owner == 0) {
        ::close(fds[0]);
        try {
          RenderWorker worker(settings_);
          worker.Open(deck.path);
          worker.Export(0, out_ / "loop.bmp");
          if (::write(fds[1], "exporting\n", 10) < 0) ::_exit(3);
          for (int n = 1;; ++n) worker.Export(n % deck.slides, out_ / "loop.bmp");
        } catch (...) {
        }
        ::_exit(2);
      }
      ::close(fds[1]);
      if (when == When::kExporting) {
        pollfd pfd{fds[0], POLLIN, 0};
        char buffer[16];
        if (::poll(&pfd, 1, 120000) <= 0 || ::read(fds[0], buffer, sizeof buffer) <= 0) {
          ::close(fds[0]);
          ::kill(owner, SIGKILL);
          ::waitpid(owner, nullptr, 0);
          FAIL() << "the owner did not start exporting";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 300));
      } else {
        // A worker takes one to two seconds to start.
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 1500));
      }
      ::close(fds[0]);
      ASSERT_EQ(::kill(owner, signal), 0);
      const auto signalled = std::chrono::steady_clock::now();
      int status = 0;
      ASSERT_EQ(::waitpid(owner, &status, 0), owner);
      ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;

      // Reap whatever the owner left (its worker, and gpg helpers LibreOffice
      // starts through a double fork) until none is left.
      bool childrenLeft = true;
      std::string ends;
      while (std::chrono::steady_clock::now() - signalled < std::chrono::seconds(2)) {
        pid_t child;
        while ((child = ::waitpid(-1, &status, WNOHANG)) > 0) {
          ends += " " + std::to_string(child) + ":" + std::to_string(status);
        }
        childrenLeft = !(child < 0 && errno == ECHILD);
        if (!childrenLeft && WorkerFolderCount() == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now() - signalled);
      EXPECT_FALSE(childrenLeft) << "a process of the owner's still runs " << took.count()
                                 << " ms after its end (ended so far:" << ends << ")";
      EXPECT_EQ(WorkerFolderCount(), 0) << "a worker folder is still there " << took.count()
                                        << " ms after its owner's end:\n"
                                        << TreeListing(root_.Path());
      if (childrenLeft) {
        // Leave nothing running for the next attempt or test.
        for (const auto& entry : fs::directory_iterator("/proc")) {
          std::ifstream stat(entry.path() / "stat");
          std::string line;
          if (!std::getline(stat, line)) continue;
          const auto close = line.rfind(')');
          if (close != std::string::npos &&
              std::atoi(line.c_str() + close + 4) == static_cast<int>(::getpid())) {
            std::cerr << "left: " << line.substr(0, close + 3) << "\n";
            ::kill(std::atoi(line.c_str()), SIGKILL);
          }
        }
        while (::waitpid(-1, &status, 0) > 0) {
        }
      }
      std::error_code ignored;
      for (const std::string& name : root_.Names()) fs::remove_all(root_ / name, ignored);
      // The bitmap of the interrupted export: only its partial file (of a
      // process that has ended) may be left, and the sweep removes it.
      SweepStaleTemporaries(out_.Path());
      fs::remove(out_ / "loop.bmp", ignored);
      EXPECT_EQ(out_.Names(), std::vector<std::string>{});
    }
  }
};

TEST_F(OwnerDeathTest, WorkerHangsAfterItsOwnerDies_OwnerKilledInTheMiddleOfAnExport) {
  KillOwners(SIGKILL, When::kExporting, 6);
}

TEST_F(OwnerDeathTest, WorkerHangsAfterItsOwnerDies_OwnerTerminatedInTheMiddleOfAnExport) {
  KillOwners(SIGTERM, When::kExporting, 3);
}

TEST_F(OwnerDeathTest, WorkerHangsAfterItsOwnerDies_OwnerKilledWhileItsWorkerStarts) {
  KillOwners(SIGKILL, When::kStartingUp, 6);
}

// --- Nothing in the person's home ---------------------------------------------------

TEST_F(WorkerFaultsTest, FilesInTheUsersHome_TheWorkerWritesNothingIntoHome) {
  TempFolder home;
  const ScopedEnv h("HOME", home.Path().c_str()), a("XDG_CONFIG_HOME", nullptr),
      b("XDG_CACHE_HOME", nullptr), c("XDG_DATA_HOME", nullptr), d("XDG_STATE_HOME", nullptr),
      e("XDG_RUNTIME_DIR", nullptr), f("DCONF_PROFILE", nullptr), g("GSETTINGS_BACKEND", nullptr);
  const CatalogDeck& deck = DeckCatalog::Default().Deck("std4.pptx");
  Worker().Open(deck.path);
  Worker().Export(0, out_ / "1.bmp");
  Worker().Close();
  Worker().Quit();
  EXPECT_EQ(LoadBitmap(out_ / "1.bmp").width, deck.widthPx);
  EXPECT_EQ(TreeListing(home.Path()), "") << "the worker wrote into its HOME";
}

// --- Memory: a ceiling per worker ---------------------------------------------------

TEST_F(WorkerFaultsTest, UnboundedWorkerMemory_ZipBombIsStoppedAtTheCeilingAndTheNextFileConverts) {
  const DeckCatalog& catalog = DeckCatalog::Default();
  const std::string bomb = catalog.PathOf("bomb.pptx");
  ASSERT_TRUE(fs::exists(bomb));
  ASSERT_LT(fs::file_size(bomb), 1u << 20);
  settings_.memoryCeilingBytes = 700ull << 20;
  auto pool = std::make_shared<RenderWorkerPool>(settings_);
  {
    LibreOfficeSession session(pool);
    RenderDocumentInfo info;
    const std::uint64_t serial = session.Open(bomb, &info);
    EXPECT_EQ(info.slideCount, 1);
    const std::string bitmap = out_ / "bomb.bmp";
    const auto start = std::chrono::steady_clock::now();
    ExpectError([&] { session.Draw(serial, 1, bitmap, DrawRequest{}); },
                {bomb + ": needs more memory than allowed (the renderer passed 700 MB)"});
    // Rendering it whole takes LibreOffice about 11 s and 2 GB.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
    EXPECT_FALSE(fs::exists(bitmap));
    EXPECT_EQ(WorkerFolderCount(), 0) << "the killed worker's folder is still there";

    // The run goes on: the next file opens in a fresh worker.
    const CatalogDeck& next = catalog.Deck("wide3.pptx");
    const std::uint64_t nextSerial = session.Open(next.path, &info);
    EXPECT_EQ(info.slideCount, 3);
    session.Draw(nextSerial, 2, out_ / "next.bmp", DrawRequest{});
    EXPECT_LE(WorstSamplePoint(LoadBitmap(out_ / "next.bmp"), next.colours[1], 0.1),
              catalog.Tolerance());
    EXPECT_EQ(pool->WorkersStarted(), 2);
  }
  pool->Shutdown();
}

TEST_F(WorkerFaultsTest, UnboundedWorkerMemory_ChildProcessesCountAndDieWithTheWorker) {
  // A worker that greets, then starts a child holding 300 MB.
  const std::string childPid = scratch_ / "child.pid";
  settings_.workerPath = WriteScript(
      "hungry.sh", HelloPrintf() +
                       "\npython3 -c 'import time; b = b\"x\" * (300 << 20); time.sleep(600)' &"
                       "\necho $! > '" + childPid + "'\nexec sleep 600");
  settings_.memoryCeilingBytes = 200ull << 20;
  settings_.openTimeout = std::chrono::seconds(30);
  RenderWorker worker(settings_);
  const pid_t pid = worker.Pid();
  const std::string deck = DeckCatalog::Default().PathOf("wide3.pptx");
  const auto start = std::chrono::steady_clock::now();
  ExpectError([&] { worker.Open(deck); },
              {deck + ": needs more memory than allowed (the renderer passed 200 MB)"});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_TRUE(ProcessGone(pid));
  EXPECT_FALSE(worker.Usable());
  pid_t child = 0;
  std::ifstream(childPid) >> child;
  ASSERT_GT(child, 0);
  for (int i = 0; i < 200 && !ProcessEnded(child); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(ProcessEnded(child)) << "the worker's child outlived it";
}

// --- The wait hook -------------------------------------------------------------------

TEST_F(WorkerFaultsTest, WaitHook_IsCalledEverySliceAndAThrowKillsTheWorkerAtOnce) {
  settings_.workerPath = WriteScript("hang.sh", HelloPrintf() + "\nexec sleep 600");
  RenderWorker worker(settings_);
  const pid_t pid = worker.Pid();
  const std::string folder = worker.FolderPath();
  int calls = 0;
  auto last = std::chrono::steady_clock::now();
  auto longest = std::chrono::steady_clock::duration::zero();
  worker.SetWaitHook([&] {
    const auto now = std::chrono::steady_clock::now();
    longest = std::max(longest, now - last);
    last = now;
    if (++calls == 5) throw StopAsked();
  });
  const auto start = std::chrono::steady_clock::now();
  last = start;
  EXPECT_THROW(worker.Open(DeckCatalog::Default().PathOf("wide3.pptx")), StopAsked);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(calls, 5);
  // Slices of 50 ms; the bounds leave room for a busy machine.
  EXPECT_LT(took, std::chrono::milliseconds(600));
  EXPECT_LE(longest, std::chrono::milliseconds(150));
  EXPECT_TRUE(ProcessGone(pid)) << "the worker was not killed and reaped";
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(worker.Usable());
}

TEST_F(WorkerFaultsTest, WaitHook_StopsAWorkerThatIsStillStarting) {
  settings_.workerPath = WriteScript("silent.sh", "exec sleep 600");
  const auto start = std::chrono::steady_clock::now();
  int calls = 0;
  EXPECT_THROW(RenderWorker(settings_,
                            [&] {
                              if (++calls == 3) throw StopAsked();
                            }),
               StopAsked);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(600));
  // TearDown checks that no child and no worker folder remain.
}

TEST_F(WorkerFaultsTest, WaitHook_QuitWithAHookThatThrowsKillsAtOnceAndNeverThrows) {
  // A worker that greets and never reads: kQuit gets no kBye.
  settings_.workerPath = WriteScript("deaf.sh", HelloPrintf() + "\nexec sleep 600");
  RenderWorker worker(settings_);
  const pid_t pid = worker.Pid();
  worker.SetWaitHook([] { throw StopAsked(); });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_NO_THROW(worker.Quit());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(600));
  EXPECT_TRUE(ProcessGone(pid));
}

TEST_F(WorkerFaultsTest, WaitHook_PoolHandsItToEveryWorkerAndTakesItBack) {
  settings_.workerPath = WriteScript("hang.sh", HelloPrintf() + "\nexec sleep 600");
  RenderWorkerPool pool(settings_);
  int calls = 0;
  pool.SetWaitHook([&] {
    if (++calls >= 2) throw StopAsked();
  });
  auto worker = pool.Acquire();
  EXPECT_THROW(worker->Open(DeckCatalog::Default().PathOf("wide3.pptx")), StopAsked);
  pool.Release(std::move(worker));
  EXPECT_FALSE(pool.HasWarmWorker());
  pool.SetWaitHook({});
}

// --- Partial output of a killed worker ------------------------------------------------

TEST_F(WorkerFaultsTest, TemporaryFilesLeftBehind_AKilledExportTakesItsBitmapAndPartialFileAlong) {
  // A worker that, once asked, writes the bitmap asked for (as a finished
  // export's move does) and a partial file in its own folder (as AtomicFile
  // does there), then hangs.
  const ScopedEnv out("QM_FAKE_OUT", out_.Path().c_str());
  settings_.workerPath = WriteScript(
      "writer.sh", HelloPrintf() +
                       "\nhead -c 8 <&3 >/dev/null"
                       "\nfor name in slide.bmp keep.bmp; do"
                       "\n  echo new > \"$QM_FAKE_OUT/$name\""
                       "\n  echo partial > \"$4/.$name.quillmere-$$-Ab12Cd\""
                       "\ndone"
                       "\nexec sleep 600");
  settings_.slideTimeout = std::chrono::seconds(1);
  // Someone else's partial file of the same name, from a live process.
  const std::string foreign = out_ / (".slide.bmp.quillmere-" + std::to_string(::getpid()) + "-Zz99Zz");
  std::ofstream(foreign) << "not the worker's";

  {
    RenderWorker worker(settings_);
    const pid_t pid = worker.Pid();
    const std::string folder = worker.FolderPath();
    ExpectError([&] { worker.Export(0, out_ / "slide.bmp"); },
                {"did not answer within 1 s"});
    EXPECT_TRUE(ProcessGone(pid));
    EXPECT_FALSE(fs::exists(out_ / "slide.bmp")) << "the bitmap asked for was left";
    EXPECT_FALSE(fs::exists(folder)) << "the worker's folder, with its partial file, was left";
    EXPECT_TRUE(fs::exists(foreign));
    fs::remove(out_ / "keep.bmp");  // the fake wrote it unasked
  }
  {
    // A bitmap that existed before the request is not the worker's to remove;
    // the hook stops this one.
    std::ofstream(out_ / "keep.bmp") << "old";
    RenderWorker worker(settings_);
    const std::string folder = worker.FolderPath();
    int calls = 0;
    worker.SetWaitHook([&] {
      if (++calls == 6) throw StopAsked();
    });
    EXPECT_THROW(worker.Export(0, out_ / "keep.bmp"), StopAsked);
    EXPECT_TRUE(fs::exists(out_ / "keep.bmp"));
    EXPECT_FALSE(fs::exists(folder));
    fs::remove(out_ / "slide.bmp");  // the fake wrote it unasked
  }
  fs::remove(foreign);
}

}  // namespace
}  // namespace qm::test
