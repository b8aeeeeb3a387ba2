// The render worker's own life with LibreOffice: killed, hung, quit or
// stopped, it fails only the call under way, is reaped and leaves nothing.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

#include "engine/render/RenderWorker.h"
#include "tests/engine/BitmapChecks.h"
#include "tests/engine/OwnWorkerTest.h"
#include "tests/support/DeckCatalog.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

class RenderWorkerLifeTest : public OwnWorkerTest {};

TEST_F(RenderWorkerLifeTest, WorkerKilledInTheMiddleFailsThatCallAndAFreshWorkerConvertsTheNextFile) {
  const CatalogDeck& deck = DeckCatalog::Default().Deck("std4.pptx");
  Worker().Open(deck.path);
  Worker().Export(0, out_ / "1.bmp");
  const pid_t pid = Worker().Pid();
  const std::string folder = Worker().FolderPath();
  ASSERT_EQ(::kill(pid, SIGKILL), 0);
  ExpectError([&] { Worker().Export(1, out_ / "2.bmp"); },
              {deck.path, "the renderer stopped unexpectedly (signal 9)"});
  EXPECT_FALSE(Worker().Usable());
  EXPECT_TRUE(ProcessGone(pid)) << "the killed worker was not reaped";
  EXPECT_FALSE(fs::exists(folder)) << "the killed worker's folder is still there";
  ExpectError([&] { Worker().Export(1, out_ / "2.bmp"); }, {"not running"});

  worker_.reset();  // the caller starts a fresh worker
  const CatalogDeck& next = DeckCatalog::Default().Deck("wide3.pptx");
  EXPECT_EQ(Worker().Open(next.path).slideCount, 3);
  Worker().Export(2, out_ / "next.bmp");
  EXPECT_LE(WorstSamplePoint(LoadBitmap(out_ / "next.bmp"), next.colours[2], 0.1),
            DeckCatalog::Default().Tolerance());
}

TEST_F(RenderWorkerLifeTest, HungWorkerIsKilledAfterTheSlideTimeLimit) {
  const CatalogDeck& deck = DeckCatalog::Default().Deck("std4.pptx");
  Worker().Open(deck.path);
  Worker().SetSlideTimeout(std::chrono::milliseconds(1500));
  const pid_t pid = Worker().Pid();
  const std::string folder = Worker().FolderPath();
  ASSERT_EQ(::kill(pid, SIGSTOP), 0);  // the worker stops answering, as if stuck
  ExpectError([&] { Worker().Export(0, out_ / "1.bmp"); },
              {deck.path, "the renderer did not answer within 1.5 s"});
  EXPECT_TRUE(ProcessGone(pid));
  EXPECT_FALSE(fs::exists(folder));
}

TEST_F(RenderWorkerLifeTest, TheWorkerGetsNoneOfThePersonsSessionToTalkTo) {
  // It once inherited the session bus, the ssh agent and the display.
  ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus", 1);
  ::setenv("SSH_AUTH_SOCK", "/tmp/ssh-agent.sock", 1);
  ::setenv("DISPLAY", ":0", 1);
  Worker();
  ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
  ::unsetenv("SSH_AUTH_SOCK");
  ::unsetenv("DISPLAY");
  std::ifstream in("/proc/" + std::to_string(Worker().Pid()) + "/environ", std::ios::binary);
  std::string variables((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_NE(variables.find("PATH="), std::string::npos);  // the rest is inherited
  variables.insert(0, 1, '\0');
  for (const char* name : {"DBUS_SESSION_BUS_ADDRESS=", "SSH_AUTH_SOCK=", "DISPLAY="})
    EXPECT_EQ(variables.find(std::string(1, '\0') + name), std::string::npos) << name;
}

TEST_F(RenderWorkerLifeTest, QuitEndsTheWorkerAndRemovesItsFolder) {
  Worker().Open(DeckCatalog::Default().PathOf("wide3.pptx"));
  const pid_t pid = Worker().Pid();
  const std::string folder = Worker().FolderPath();
  ASSERT_TRUE(fs::exists(folder + "/profile"));
  Worker().Quit();
  EXPECT_TRUE(ProcessGone(pid));
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(Worker().Usable());
}

TEST_F(RenderWorkerLifeTest, WorkerEndsAndCleansUpWhenAskedToStop) {
  Worker();
  const pid_t pid = Worker().Pid();
  const std::string folder = Worker().FolderPath();
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  for (int i = 0; i < 200 && fs::exists(folder); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(fs::exists(folder)) << "the worker left its folder on SIGTERM";
  ASSERT_TRUE(WaitUntilDead(pid));
  EXPECT_FALSE(Worker().Usable());  // reaps it
  EXPECT_TRUE(ProcessGone(pid));
}

}  // namespace
}  // namespace qm::test
