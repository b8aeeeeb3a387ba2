#include "tests/filelist/UnprivilegedRun.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>

namespace qm::test {

namespace {
constexpr uid_t kNobody = 65534;
constexpr char kRefusal = '\x01';  // first byte of a child's "cannot" answer

void WriteAll(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}
}  // namespace

std::optional<std::string> RunWhereModesApply(const std::string& probe,
                                              const std::function<std::string()>& body,
                                              std::string& whyNot) {
  if (::geteuid() != 0) {
    if (::access(probe.c_str(), R_OK) == 0) {
      whyNot = "this process reads " + probe + " despite its mode (privileged file access)";
      return std::nullopt;
    }
    return body();
  }

  int fds[2];
  if (::pipe(fds) != 0) {
    whyNot = "no pipe for the unprivileged child";
    return std::nullopt;
  }
  const pid_t pid = ::fork();
  if (pid < 0) {
    whyNot = "cannot start the unprivileged child";
    return std::nullopt;
  }
  if (pid == 0) {
    ::close(fds[0]);
    std::string answer;
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
      answer = std::string(1, kRefusal) + "running as root and cannot switch to the user nobody";
    } else if (::access(probe.c_str(), R_OK) == 0) {
      answer = std::string(1, kRefusal) + "the user nobody still reads " + probe;
    } else {
      try {
        answer = body();
      } catch (const std::exception& e) {
        answer = std::string("the test body failed: ") + e.what();  // makes the comparison fail
      }
    }
    WriteAll(fds[1], answer);
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string answer;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, n);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  // A crash is a result, not a reason to skip: the comparison then fails.
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the unprivileged child crashed";
  if (!answer.empty() && answer[0] == kRefusal) {
    whyNot = answer.substr(1);
    return std::nullopt;
  }
  return answer;
}

}  // namespace qm::test
