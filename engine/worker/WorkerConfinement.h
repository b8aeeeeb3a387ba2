#pragma once
// Keeps a render worker that reads untrusted decks from reaching out.

#include <string>

namespace qm {

/// The layers of a worker's confinement: asked for, or entered.
struct WorkerConfinement {
  bool network = false;  ///< in a network namespace of its own
  bool files = false;    ///< under a Landlock rule set
  bool unixSockets = false;  ///< entered with files: makes no Unix socket (a seccomp filter)
  bool office = false;   ///< LibreOffice fetches no linked content and allows no host
  std::string notes;     ///< why a layer did not take, one sentence each

  /// The layers `list` names ("network,files,office"; "none" for none: to
  /// try each layer alone); every layer when `list` is null or empty. A list
  /// naming anything else ("all", a misspelt layer) asks for every layer and
  /// sets `*error` to a sentence saying what is not understood: the worker
  /// refuses to start rather than guess.
  static WorkerConfinement Wanted(const char* list, std::string* error);

  /// Enters the `wanted` layers this system offers, in the calling process,
  /// which must still be single-threaded (before LibreOffice starts):
  ///  - network: a network namespace of its own; no socket reaches anything;
  ///  - files: a Landlock rule set; the worker may read only `folder` (its
  ///    private folder, where the program puts a copy of each deck),
  ///    LibreOffice's installation (the parent of `programDir`), fonts,
  ///    system files and libraries, its own /proc entry and a few tables of
  ///    /proc, and of /dev only null, zero, random and urandom (nothing of
  ///    /dev/shm); write only inside `folder` and to those devices (and
  ///    remove `folder` itself, last, from its parent); and (where the
  ///    kernel can) open no TCP connection and signal no process but its own;
  ///    and make no Unix socket, so none at a path (a session's agents) can
  ///    be connected to;
  ///  - office: LibreOffice's host filter matches no host (the profile's
  ///    settings, see PrepareOfficeProfile, block linked content).
  /// A layer the system lacks is noted and the others still hold.
  static WorkerConfinement Enter(const std::string& folder, const std::string& programDir,
                                 const WorkerConfinement& wanted);

  /// One line for the log: "confined: network namespace, Landlock, LibreOffice settings".
  std::string Summary() const;
};

}  // namespace qm
