#pragma once
// Starting one of our own helper programs (a conversion job, a render
// worker) from a front end or a job.

#include <signal.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace qm {

/// How a helper program starts.
struct ChildProgram {
  std::vector<std::string> argv;  ///< the program's path first
  /// Our end of a connection the child gets as descriptor `childFd`; every
  /// other descriptor of ours is closed in the child.
  int connectionFd = -1;
  int childFd = 3;
  /// Standard input and output from and to /dev/null (standard error is
  /// inherited either way).
  bool quietStandardStreams = false;
  /// A process group of its own, so a Ctrl+C at the terminal reaches it only
  /// through its owner.
  bool ownProcessGroup = false;
  /// Signals blocked when the program starts; every signal has its default
  /// handling whatever the starter did with its own.
  sigset_t blocked{};
  /// Variables of the starter's environment the child does not get (names
  /// only, "SSH_AUTH_SOCK"); the rest it inherits.
  std::vector<std::string> withheldVariables;
};

/// Starts `child` with posix_spawn (never a fork of the starter: a Qt front
/// end has threads a fork would not carry, and a fork copies its memory).
/// Returns the child's process id, or -1 with `*error` the system's words
/// for why it could not be started (including an executable that would not
/// run). Every spawn attribute's result is checked.
pid_t StartChildProgram(const ChildProgram& child, std::string* error);

}  // namespace qm
