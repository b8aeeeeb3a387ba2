#pragma once
// What a test may leave behind without failing an output check: an open file
// descriptor, a child process, a stray file in a folder it worked in.

#include <sys/types.h>

#include <set>
#include <string>
#include <vector>

namespace qm::test {

/// A snapshot of the process's descriptors and children, and of the folders
/// it is told to watch, taken at construction; Leaks() names whatever is new
/// since. Descriptors and children that existed at the snapshot (a warm
/// worker shared by the whole suite, say) are never reported.
class LeakCheck {
 public:
  LeakCheck();

  /// Watches `folder` from now on for new hidden entries (names starting
  /// with "."), which is how temporary files are named here. With `anyEntry`
  /// every new entry counts, for folders that must end as they began.
  void WatchFolder(const std::string& folder, bool anyEntry = false);

  /// Does not report `pid`, a child the test knowingly keeps beyond itself.
  void AllowChild(pid_t pid) { allowedChildren_.insert(pid); }

  /// One line per leak found now, empty when there is none: a descriptor
  /// opened since the snapshot and still open (with what it points to), a
  /// child process that is new or a zombie, a new entry in a watched folder.
  std::vector<std::string> Leaks() const;

  /// Fails the running test once per leak (GoogleTest's ADD_FAILURE).
  void ExpectNoLeaks() const;

 private:
  struct Watched {
    std::string folder;
    bool anyEntry;
    std::set<std::string> before;
  };

  std::set<int> descriptors_;
  std::set<pid_t> children_;
  std::set<pid_t> allowedChildren_;
  std::vector<Watched> watched_;
};

/// Children of this process now, as pids; `zombies` receives those that
/// have ended and were not reaped.
std::set<pid_t> ChildProcesses(std::set<pid_t>* zombies = nullptr);

/// The open descriptors of this process, not counting the one used to list them.
std::set<int> OpenDescriptors();

}  // namespace qm::test
