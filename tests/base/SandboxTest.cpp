// What a process under Sandbox::LimitFileAccess can still reach.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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


TEST(Sandbox, AProcessWithoutUnixSocketsCannotReachOneAtAPath) {
  // Neither the network namespace nor the file rules kept a confined
  // renderer from connecting to a socket at a path (an agent, a service).
  TempFolder folder;
  const std::string path = folder / "agent.sock";
  const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 4), 0);
  // 0: connected; 1: refused; 2: the filter could not be loaded.
  const auto tryConnect = [&](bool forbid) {
    const pid_t child = ::fork();
    if (child == 0) {
      std::string why;
      if (forbid && !Sandbox::ForbidUnixSockets(&why)) ::_exit(2);
      const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
      const bool connected =
          fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
      int pair[2];
      // Pairs of sockets stay: LibreOffice's own threads talk over them.
      const bool paired = ::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) == 0;
      ::_exit(connected ? 0 : (paired && errno == EACCES) ? 1 : 3);
    }
    int status = 0;
    (void)::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(tryConnect(false), 0) << "the socket cannot be reached even unfiltered";
  EXPECT_EQ(tryConnect(true), 1);
  ::close(listener);
}

}  // namespace
}  // namespace qm::test
