#pragma once
// The private folder of one render worker.

#include <sys/types.h>

#include <string>

namespace qm {

/// A fresh folder "quillmere-render-XXXXXX" under a temporary root, holding
/// the worker's LibreOffice profile and log. The program creates it before
/// starting the worker, so it can remove it even when the worker dies without
/// cleaning up. The destructor removes it with everything inside.
class WorkerFolder {
 public:
  /// Creates the folder under `root`. Throws qm::Error when it cannot.
  explicit WorkerFolder(const std::string& root);
  ~WorkerFolder() { Remove(); }
  WorkerFolder(const WorkerFolder&) = delete;
  WorkerFolder& operator=(const WorkerFolder&) = delete;

  const std::string& Path() const { return path_; }

  /// Notes the worker's process id inside the folder ("owner"), so that
  /// RemoveStale() can tell a live worker's folder from a forgotten one.
  /// False when the note could not be written.
  bool RecordOwner(pid_t worker);

  /// Removes the folder now (idempotent; errors are ignored).
  void Remove();

  /// Removes folders under `root` whose worker no longer runs: left behind
  /// when a program was killed while its worker was still starting. Only
  /// this user's folders with an "owner" file naming a vanished process are
  /// touched; a folder without that file counts only when a day old.
  static void RemoveStale(const std::string& root);

  /// Name prefix of every worker folder.
  static constexpr const char* kPrefix = "quillmere-render-";

 private:
  std::string path_;
};

}  // namespace qm
