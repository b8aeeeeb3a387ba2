// Raising the open-file limit, tried in a forked child so the test program's
// own limit is left as it was.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/OpenFileLimit.h"

TEST(OpenFileLimit, LoweredSoftLimitIsRaisedToTheHardLimit) {
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max <= 64) GTEST_SKIP() << "hard limit too low";
  const pid_t pid = fork();
  if (pid == 0) {
    rlimit low = limit;
    low.rlim_cur = 64;
    if (setrlimit(RLIMIT_NOFILE, &low) != 0) _exit(2);
    const long raised = qm::RaiseOpenFileLimit();
    rlimit now{};
    getrlimit(RLIMIT_NOFILE, &now);
    _exit(now.rlim_cur == limit.rlim_max && static_cast<rlim_t>(raised) == now.rlim_cur ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}
