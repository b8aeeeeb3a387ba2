// What a process under Sandbox::LimitFileAccess can still reach.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/Sandbox.h"
#include "tests/support/TempFolder.h"

namespace qm::test {
namespace {

TEST(Sandbox, ARestrictedProcessCannotSignalTheProcessesOutsideIt) {
  // A confined renderer could once signal every process of the person's.
  if (Sandbox::Probe().landlock < 6) GTEST_SKIP() << "Landlock before ABI 6 cannot scope signals";
  TempFolder folder;
  const pid_t outsider = ::fork();
  ASSERT_GE(outsider, 0);
  if (outsider == 0) {
    ::pause();
    ::_exit(0);
  }
  const pid_t confined = ::fork();
  ASSERT_GE(confined, 0);
  if (confined == 0) {
    Sandbox::Access access;
    access.readable = {"/usr", "/lib", "/lib64", "/etc"};
    access.writable = {folder.Path()};
    std::string why;
    if (!Sandbox::LimitFileAccess(access, &why)) ::_exit(2);
    // Its own children stay within reach.
    const pid_t child = ::fork();
    if (child == 0) {
      ::pause();
      ::_exit(0);
    }
    const bool ownReached = ::kill(child, SIGKILL) == 0;
    (void)::waitpid(child, nullptr, 0);
    const bool outsiderRefused = ::kill(outsider, SIGKILL) != 0 && errno == EPERM;
    ::_exit(ownReached && outsiderRefused ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(confined, &status, 0), confined);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "2: not restricted; 1: signalled the outsider or not its child";
  // The outsider still runs: nothing reached it.
  EXPECT_EQ(::waitpid(outsider, &status, WNOHANG), 0);
  ::kill(outsider, SIGKILL);
  (void)::waitpid(outsider, nullptr, 0);
}

}  // namespace
}  // namespace qm::test
