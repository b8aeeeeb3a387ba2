#include "base/Sandbox.h"

#include <sys/socket.h>

#include <seccomp.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace qm {

namespace {

// Landlock's stable kernel interface (linux/landlock.h), written out because
// Debian 12's headers stop at ABI 2 and the rules below use up to ABI 6.
constexpr std::uint64_t kFsExecute = 1ull << 0;
constexpr std::uint64_t kFsWriteFile = 1ull << 1;
constexpr std::uint64_t kFsReadFile = 1ull << 2;
constexpr std::uint64_t kFsReadDir = 1ull << 3;
constexpr std::uint64_t kFsRemoveDir = 1ull << 4;
constexpr std::uint64_t kFsAbi1 = (1ull << 13) - 1;  // execute ... make symlink
constexpr std::uint64_t kFsRefer = 1ull << 13;        // ABI 2
constexpr std::uint64_t kFsTruncate = 1ull << 14;     // ABI 3
constexpr std::uint64_t kNetBindTcp = 1ull << 0;      // ABI 4
constexpr std::uint64_t kNetConnectTcp = 1ull << 1;   // ABI 4
constexpr std::uint64_t kScopeAbstractUnixSocket = 1ull << 0;  // ABI 6
constexpr std::uint64_t kScopeSignal = 1ull << 1;              // ABI 6
constexpr std::uint32_t kCreateRulesetVersion = 1u << 0;
constexpr int kRulePathBeneath = 1;

struct RulesetAttr {
  std::uint64_t handledAccessFs = 0;
  std::uint64_t handledAccessNet = 0;
  std::uint64_t scoped = 0;
};

struct __attribute__((packed)) PathBeneathAttr {
  std::uint64_t allowedAccess;
  std::int32_t parentFd;
};

int LandlockAbi() {
  const long abi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, kCreateRulesetVersion);
  return abi > 0 ? static_cast<int>(abi) : 0;
}

/// The file-system rights ABI `abi` knows, all of which the rule set handles
/// (denies unless a rule grants them).
std::uint64_t FsRightsOf(int abi) {
  std::uint64_t rights = kFsAbi1;
  if (abi >= 2) rights |= kFsRefer;
  if (abi >= 3) rights |= kFsTruncate;
  return rights;
}

/// Grants `rights` beneath `path` (on the file itself when it is no folder:
/// only the rights that make sense for a file). Missing paths are skipped.
bool AddRule(int ruleset, const std::string& path, std::uint64_t rights, std::string* why) {
  const int fd = ::open(path.c_str(), O_PATH | O_CLOEXEC);
  if (fd < 0) return true;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode))
    rights &= kFsExecute | kFsWriteFile | kFsReadFile | kFsTruncate;
  const PathBeneathAttr rule{rights, fd};
  const bool added = ::syscall(SYS_landlock_add_rule, ruleset, kRulePathBeneath, &rule, 0) == 0;
  if (!added) *why = "Landlock refused the rule for " + path + ": " + std::strerror(errno);
  (void)::close(fd);  // an O_PATH handle: nothing to flush
  return added;
}

bool WriteSmallFile(const char* path, const std::string& text) {
  const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  (void)::close(fd);  // the kernel took the map at the write, or refused it there
  return written;
}

}  // namespace

Sandbox::Layers Sandbox::Probe() {
  Layers layers;
  layers.landlock = LandlockAbi();
  // Only system calls between fork and _exit: safe in a threaded program.
  const pid_t child = ::fork();
  if (child == 0) {
    if (::unshare(CLONE_NEWNET) == 0 || ::unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0) _exit(0);
    _exit(1);
  }
  if (child > 0) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    layers.network = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  return layers;
}

bool Sandbox::EnterOwnNetwork(std::string* why) {
  if (::unshare(CLONE_NEWNET) == 0) return true;
  const uid_t uid = ::getuid();
  const gid_t gid = ::getgid();
  if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) {
    *why = std::string("no network namespace: ") + std::strerror(errno);
    return false;
  }
  // Keep our own ids inside, for what asks who we are. Files we create are
  // ours whether or not the maps take, so a refused map changes nothing else.
  (void)WriteSmallFile("/proc/self/setgroups", "deny");
  (void)WriteSmallFile("/proc/self/uid_map", std::to_string(uid) + " " + std::to_string(uid) + " 1");
  (void)WriteSmallFile("/proc/self/gid_map", std::to_string(gid) + " " + std::to_string(gid) + " 1");
  return true;
}

bool Sandbox::LimitFileAccess(const Access& access, std::string* why) {
  const int abi = LandlockAbi();
  if (abi == 0) {
    *why = "no Landlock in this kernel";
    return false;
  }
  RulesetAttr attr;
  attr.handledAccessFs = FsRightsOf(abi);
  if (abi >= 4) attr.handledAccessNet = kNetBindTcp | kNetConnectTcp;
  if (abi >= 6) attr.scoped = kScopeAbstractUnixSocket | kScopeSignal;
  const int ruleset =
      static_cast<int>(::syscall(SYS_landlock_create_ruleset, &attr, sizeof attr, 0));
  if (ruleset < 0) {
    *why = std::string("Landlock refused the rule set: ") + std::strerror(errno);
    return false;
  }
  bool ok = true;
  const std::uint64_t read = kFsReadFile | kFsReadDir | kFsExecute;
  for (const std::string& path : access.readable) ok = ok && AddRule(ruleset, path, read, why);
  for (const std::string& path : access.writable)
    ok = ok && AddRule(ruleset, path, attr.handledAccessFs, why);
  for (const std::string& path : access.devices)
    ok = ok && AddRule(ruleset, path, kFsReadFile | kFsWriteFile, why);
  for (const std::string& path : access.removable)
    ok = ok && AddRule(ruleset, path, kFsRemoveDir, why);
  if (ok && ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
    *why = std::string("no_new_privs was refused: ") + std::strerror(errno);
    ok = false;
  }
  if (ok && ::syscall(SYS_landlock_restrict_self, ruleset, 0) != 0) {
    *why = std::string("Landlock refused to restrict the process: ") + std::strerror(errno);
    ok = false;
  }
  (void)::close(ruleset);  // the rules hold once restricted; the handle is not needed
  return ok;
}

bool Sandbox::ForbidUnixSockets(std::string* why) {
  // A filter may be loaded without privilege only under no_new_privs, which
  // LimitFileAccess sets too.
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
    *why = std::string("the process cannot give up gaining privileges: ") + std::strerror(errno);
    return false;
  }
  scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
  if (filter == nullptr) {
    *why = "the system call filter cannot be made";
    return false;
  }
  int failed = seccomp_rule_add(filter, SCMP_ACT_ERRNO(EACCES), SCMP_SYS(socket), 1,
                                SCMP_A0(SCMP_CMP_EQ, AF_UNIX));
  if (failed == 0) failed = seccomp_load(filter);
  seccomp_release(filter);
  if (failed != 0) {
    *why = std::string("the kernel refused the system call filter: ") + std::strerror(-failed);
    return false;
  }
  return true;
}

}  // namespace qm
