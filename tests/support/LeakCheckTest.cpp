// LeakCheck itself: a leak the fixtures rely on it to find must be found,
// and what existed before the snapshot must not be blamed on the test.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/LeakCheck.h"
#include "tests/support/TempFolder.h"

namespace qm::test {
namespace {

bool Mentions(const std::vector<std::string>& leaks, const std::string& part) {
  for (const std::string& leak : leaks) {
    if (leak.find(part) != std::string::npos) return true;
  }
  return false;
}

TEST(LeakCheck, FindsADescriptorAZombieAndATemporaryLeftBehind) {
  TempFolder folder;
  LeakCheck check;
  check.WatchFolder(folder.Path());
  const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  std::ofstream(folder / ".partial.png") << "x";
  std::ofstream(folder / "result.png") << "x";
  ::siginfo_t info{};
  ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);

  const std::vector<std::string> leaks = check.Leaks();
  EXPECT_TRUE(Mentions(leaks, "descriptor " + std::to_string(fd))) << ::testing::PrintToString(leaks);
  EXPECT_TRUE(Mentions(leaks, "child process " + std::to_string(child)));
  EXPECT_TRUE(Mentions(leaks, ".partial.png"));
  EXPECT_FALSE(Mentions(leaks, "result.png"));  // a visible output is no temporary

  ::close(fd);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(check.Leaks(), std::vector<std::string>{"stray file " + folder / ".partial.png"});
}

TEST(LeakCheck, BlamesNothingThatWasOpenOrRunningBeforeTheSnapshot) {
  const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const pid_t child = ::fork();
  if (child == 0) {
    ::pause();
    ::_exit(0);
  }
  LeakCheck check;
  EXPECT_TRUE(check.Leaks().empty()) << ::testing::PrintToString(check.Leaks());
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(fd);
}

}  // namespace
}  // namespace qm::test
