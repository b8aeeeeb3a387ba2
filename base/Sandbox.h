#pragma once
// The kernel's means of keeping a process that reads untrusted files inside:
// a network namespace of its own and a Landlock rule set. The render worker
// enters them before LibreOffice starts; the front ends ask which of them
// this machine offers.

#include <string>
#include <vector>

namespace qm {

class Sandbox {
 public:
  /// Which layers this machine's kernel lets an unprivileged process use.
  struct Layers {
    bool network = false;  ///< a network namespace of its own (no interface but a down loopback)
    int landlock = 0;      ///< the Landlock ABI version; 0 when the kernel has none
  };

  /// Asks the kernel without changing this process: the namespace is tried
  /// in a short-lived child process.
  static Layers Probe();

  /// Moves the calling process into a network namespace of its own, with a
  /// user namespace first when it lacks the privilege (the process must then
  /// be single-threaded). Afterwards no socket reaches any host, this one's
  /// loopback included. False, with the reason in `why`, when the kernel
  /// refuses; the process is then unchanged.
  static bool EnterOwnNetwork(std::string* why);

  /// What LimitFileAccess lets the process reach.
  struct Access {
    std::vector<std::string> readable;  ///< folders and files to read and run from
    std::vector<std::string> writable;  ///< folders to read, write, create and remove in
    std::vector<std::string> devices;   ///< files to read and write (/dev/null...)
    /// Folders in which an empty folder may be removed: the parents of
    /// `writable` folders, so that a process can remove its own folder last.
    std::vector<std::string> removable;
  };

  /// Restricts the calling thread and every thread and process it starts
  /// from then on to `access`, forbids TCP connections where the kernel can
  /// (Landlock ABI 4), and (ABI 6) connecting to abstract Unix sockets and
  /// signalling any process outside the restriction: the person's other
  /// processes are out of reach, the process's own and its children are not. Call it before starting threads: threads that
  /// exist already stay free. Paths that do not exist are left out. False,
  /// with the reason in `why`, when the kernel has no Landlock or refuses.
  static bool LimitFileAccess(const Access& access, std::string* why);

  /// Keeps the calling thread and everything it starts from then on from
  /// making Unix sockets (a seccomp filter: socket() with AF_UNIX fails with
  /// EACCES). A socket at a path (a session's agents, a desktop's services
  /// under /run/user) is reached by no rule of LimitFileAccess nor of a
  /// network namespace; without a socket it cannot be connected to. Pairs
  /// of connected sockets (socketpair) and sockets already open stay. Call it
  /// before starting threads. False, with the reason in `why`, when the
  /// kernel refuses.
  static bool ForbidUnixSockets(std::string* why);
};

}  // namespace qm
