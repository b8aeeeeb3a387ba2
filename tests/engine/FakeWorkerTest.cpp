// The render worker's client against workers that misbehave without
// LibreOffice: shell scripts that stay silent, speak garbage, crash or hang,
// and the real worker with LibreOffice missing. Each fails clearly, in time,
// and leaves no process, descriptor or folder behind.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include <unistd.h>

#include "base/Error.h"
#include "base/OfficeLocation.h"
#include "engine/render/RenderWorker.h"
#include "tests/engine/RenderTestBase.h"
#include "tests/support/DeckCatalog.h"

namespace qm::test {
namespace {

using FakeWorkerTest = RenderTestBase;

TEST_F(FakeWorkerTest, AChildForkedFromTheWorkerIsNotCountedAgainForThePagesItShares) {
  // A 5.5 GB deck was once killed under an 8,000 MB ceiling: the worker's
  // forked child was counted with every page it still shared.
  const std::string forked = scratch_ / "forked";
  settings_.workerPath = WriteScript(
      "forking.sh", HelloPrintf() +
                        "\nexec python3 -c \"import os, time\n"
                        "b = bytearray(300 << 20)\n"
                        "for i in range(0, len(b), 4096): b[i] = 1\n"
                        "if os.fork() == 0: open('" + forked + "', 'w').close()\n"
                        "time.sleep(600)\"");
  RenderWorker worker(settings_);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (::access(forked.c_str(), F_OK) != 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(::access(forked.c_str(), F_OK), 0) << "the worker did not fork";
  const std::uint64_t held = worker.ResidentBytes();
  EXPECT_GE(held, 300ull << 20);
  EXPECT_LT(held, 420ull << 20) << "the child's shared pages were counted twice";
  worker.Kill();
}

TEST_F(FakeWorkerTest, WorkerThatNeverGreetsTimesOutAndIsReaped) {
  settings_.workerPath = WriteScript("silent.sh", "exec sleep 600");
  settings_.openTimeout = std::chrono::seconds(1);
  try {
    RenderWorker worker(settings_);
    ADD_FAILURE() << "a silent worker was accepted";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "The renderer did not start within 1 s");
  }
}

TEST_F(FakeWorkerTest, WorkerThatSpeaksGarbageIsRefused) {
  settings_.workerPath =
      WriteScript("garbage.sh", "printf 'garbage, not a frame' >&3\nexec sleep 600");
  ExpectError([&] { RenderWorker worker(settings_); }, {"does not understand"});
}

TEST_F(FakeWorkerTest, WorkerOfAnotherProtocolVersionIsRefused) {
  settings_.workerPath = WriteScript("old.sh", HelloPrintf(7) + "\nexec sleep 600");
  ExpectError([&] { RenderWorker worker(settings_); }, {"protocol version 7", "reinstall"});
}

TEST_F(FakeWorkerTest, WorkerThatGreetsThenHangsTimesOutOnOpen) {
  settings_.workerPath = WriteScript("hang.sh", HelloPrintf() + "\nexec sleep 600");
  settings_.openTimeout = std::chrono::seconds(1);
  RenderWorker worker(settings_);
  const pid_t pid = worker.Pid();
  const std::string deck = DeckCatalog::Default().PathOf("wide3.pptx");
  ExpectError([&] { worker.Open(deck); }, {deck, "did not answer within 1 s"});
  EXPECT_TRUE(ProcessGone(pid));
}

TEST_F(FakeWorkerTest, WorkerThatRepliesNonsenseIsKilled) {
  // A greeting; then, once asked something, a one-byte frame of an unknown
  // type as the reply.
  settings_.workerPath =
      WriteScript("nonsense.sh", HelloPrintf() +
                                     "\nhead -c 5 <&3 >/dev/null"
                                     "\nprintf '\\001\\000\\000\\000\\077' >&3\nexec sleep 600");
  RenderWorker worker(settings_);
  const pid_t pid = worker.Pid();
  const std::string deck = DeckCatalog::Default().PathOf("wide3.pptx");
  // The sentence says what came: a person reporting it can be helped.
  ExpectError([&] { worker.Open(deck); }, {deck, "does not understand", "a message of type 63"});
  EXPECT_TRUE(ProcessGone(pid));
}

TEST_F(FakeWorkerTest, WorkerThatCrashesWhileStartingIsReportedWithItsSignal) {
  settings_.workerPath = WriteScript("crash.sh", "kill -SEGV $$");
  ExpectError([&] { RenderWorker worker(settings_); }, {"stopped while starting (signal 11)"});
}

TEST_F(FakeWorkerTest, MissingWorkerExecutableIsNamed) {
  settings_.workerPath = scratch_ / "quillmere-render-worker";
  ExpectError([&] { RenderWorker worker(settings_); },
              {"The renderer is missing", settings_.workerPath});
}

TEST_F(FakeWorkerTest, MissingLibreOfficeNamesTheDebianPackage) {
  ::setenv(kOfficeProgramVariable, (scratch_ / "no-office").c_str(), 1);
  try {
    RenderWorker worker(settings_);
    ADD_FAILURE() << "a worker started without LibreOffice";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("libreoffice-impress-nogui"), std::string::npos)
        << error.what();
  }
  ::unsetenv(kOfficeProgramVariable);
}

TEST_F(FakeWorkerTest, WorkerThatSpeaksUnaskedIsDroppedBeforeTheNextRequest) {
  settings_.workerPath =
      WriteScript("chatty.sh", HelloPrintf() + "\n" + HelloPrintf() + "\nexec sleep 600");
  RenderWorker worker(settings_);
  const pid_t pid = worker.Pid();
  // Whether the second greeting is seen before the request is sent or read
  // as its reply, the worker is refused.
  const std::string deck = DeckCatalog::Default().PathOf("wide3.pptx");
  ExpectError([&] { worker.Open(deck); }, {deck, "does not understand"});
  EXPECT_TRUE(ProcessGone(pid));
}

}  // namespace
}  // namespace qm::test
