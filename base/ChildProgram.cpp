#include "base/ChildProgram.h"

#include <algorithm>
#include <string_view>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace qm {

namespace {

/// A spawn's attributes and file actions, released however the start ends.
class SpawnSetup {
 public:
  SpawnSetup() {
    actionsReady_ = posix_spawn_file_actions_init(&actions_) == 0;
    attributesReady_ = posix_spawnattr_init(&attributes_) == 0;
  }
  ~SpawnSetup() {
    if (actionsReady_) posix_spawn_file_actions_destroy(&actions_);
    if (attributesReady_) posix_spawnattr_destroy(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  bool Ready() const { return actionsReady_ && attributesReady_; }
  posix_spawn_file_actions_t* Actions() { return &actions_; }
  posix_spawnattr_t* Attributes() { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_{};
  posix_spawnattr_t attributes_{};
  bool actionsReady_ = false;
  bool attributesReady_ = false;
};

}  // namespace

pid_t StartChildProgram(const ChildProgram& child, std::string* error) {
  if (child.argv.empty() || child.connectionFd < 0 || child.childFd < 0) {
    *error = "nothing to start";
    return -1;
  }
  // The child's end is moved above the standard descriptors and childFd,
  // so that moving it to childFd is a real dup2, which clears close-on-exec.
  const int above = ::fcntl(child.connectionFd, F_DUPFD_CLOEXEC, child.childFd + 10);
  if (above < 0) {
    *error = std::strerror(errno);
    return -1;
  }
  SpawnSetup setup;
  sigset_t all;
  sigfillset(&all);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (child.ownProcessGroup) flags |= POSIX_SPAWN_SETPGROUP;
  int code = setup.Ready() ? 0 : ENOMEM;
  if (code == 0 && child.quietStandardStreams) {
    code = posix_spawn_file_actions_addopen(setup.Actions(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (code == 0)
      code = posix_spawn_file_actions_addopen(setup.Actions(), STDOUT_FILENO, "/dev/null",
                                              O_WRONLY, 0);
  }
  if (code == 0) code = posix_spawn_file_actions_adddup2(setup.Actions(), above, child.childFd);
  if (code == 0) code = posix_spawn_file_actions_addclosefrom_np(setup.Actions(), child.childFd + 1);
  if (code == 0) code = posix_spawnattr_setsigmask(setup.Attributes(), &child.blocked);
  if (code == 0) code = posix_spawnattr_setsigdefault(setup.Attributes(), &all);
  if (code == 0 && child.ownProcessGroup) code = posix_spawnattr_setpgroup(setup.Attributes(), 0);
  if (code == 0) code = posix_spawnattr_setflags(setup.Attributes(), flags);

  std::vector<std::string> args = child.argv;
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<char*> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    const bool withheld = std::any_of(
        child.withheldVariables.begin(), child.withheldVariables.end(), [&](const std::string& name) {
          return text.size() > name.size() && text.compare(0, name.size(), name) == 0 &&
                 text[name.size()] == '=';
        });
    if (!withheld) environment.push_back(*entry);
  }
  environment.push_back(nullptr);
  pid_t pid = -1;
  if (code == 0)
    code = ::posix_spawn(&pid, argv[0], setup.Actions(), setup.Attributes(), argv.data(),
                         environment.data());
  (void)::close(above);  // a spare descriptor, only kept open to be above the others
  if (code != 0) {
    *error = std::strerror(code);
    return -1;
  }
  return pid;
}

}  // namespace qm
