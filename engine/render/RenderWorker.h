#pragma once
// The program's handle on one render worker process.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/protocol/DrawRequest.h"
#include "engine/render/RenderDocumentInfo.h"
#include "engine/render/RenderWorkerSettings.h"

namespace qm {

class FrameChannel;
class WireMessage;
class WorkerFolder;

/// Starts quillmere-render-worker and talks to it: open one presentation,
/// export its slides to bitmap files, close it. The worker writes the bitmap
/// files itself, inside its private folder, from where they are moved to the
/// path asked for; no pixels cross the connection. Unless the settings allow
/// links, the worker runs confined and reads only its folder: each deck is
/// copied there to be opened (and removed at close).
///
/// Failure policy: a refusal by the worker (file not found, not a
/// presentation, password-protected, no such slide...) throws qm::Error and
/// leaves the worker usable. A crash, a reply later than the time limit or a
/// reply that makes no sense kills the worker (SIGKILL), reaps it (no zombie),
/// removes its private folder and throws qm::Error naming the file and what
/// happened ("<file>: the renderer stopped unexpectedly (signal 9)", "<file>:
/// the renderer did not answer within 60 s"); the object is then unusable and
/// the caller starts a fresh one.
///
/// Every wait on the worker (start-up, open, export, close) is cut into
/// slices of at most 50 ms. At each slice the worker's resident memory (its
/// child processes included) is held against the settings' memory ceiling:
/// past it the worker is killed as above and the call throws qm::Error
/// ("<file>: needs more memory than allowed (the renderer passed 700 MB)").
/// Then the wait hook, if any, is called; when it throws, the worker is
/// killed at once and its exception passes through unchanged. When a worker
/// is killed during an export, the bitmap file asked for (unless it existed
/// before the request) is removed, and the partial file the worker was
/// writing goes with its folder.
///
/// The worker gets SIGTERM when the thread that started it ends
/// (PR_SET_PDEATHSIG), so it dies with the program even when the program is
/// killed; start workers from the program's main thread. It runs in a
/// process group of its own, which is killed with it.
class RenderWorker {
 public:
  /// Starts a worker and waits (at most the open timeout) until LibreOffice
  /// is ready, calling `waitHook` (if any) at each slice of the wait. Throws
  /// qm::Error when the worker executable is missing, when LibreOffice is
  /// missing or cannot start, or when the worker does not greet in time.
  explicit RenderWorker(const RenderWorkerSettings& settings,
                        std::function<void()> waitHook = {});
  /// Ends the worker as Quit() does.
  ~RenderWorker();
  RenderWorker(const RenderWorker&) = delete;
  RenderWorker& operator=(const RenderWorker&) = delete;

  /// Opens `path` (made absolute), closing any presentation open before.
  /// Throws qm::Error for a missing, unreadable, damaged, password-protected
  /// or non-presentation file (the worker stays usable), and as above.
  RenderDocumentInfo Open(const std::string& path);

  /// Writes slide `index` (0-based) of the open presentation as a BMP file
  /// at `bitmapPath` (24- or 32-bit as the worker drew it, with alpha when
  /// `drawing` leaves the background out), at the size `drawing` asks for.
  /// Returns the size written. Throws qm::Error as above.
  std::pair<int, int> Export(int index, const std::string& bitmapPath,
                             const DrawRequest& drawing = {});

  /// Closes the open presentation (nothing happens when none is open).
  void Close();

  /// The 0-based indexes of the open presentation's hidden slides. Throws
  /// qm::Error as Export does.
  std::vector<int> HiddenSlides();

  /// True when the worker can draw the click states of slide `index`
  /// (0-based) as `drawing` asks (their layers are then drawn, ready for
  /// the exports of each state), with what the states leave out in `*why`
  /// ("" for nothing); false with the reason, a phrase, in `*why`. Throws
  /// qm::Error as Export does.
  bool PrepareSteps(int index, const DrawRequest& drawing, std::string* why);

  /// Asks the worker to end, waits briefly, kills it if it lingers, reaps it
  /// and removes its folder. Never throws (a wait hook that throws meanwhile
  /// has the worker killed at once, and its exception is dropped); idempotent.
  void Quit();

  /// Kills the worker at once (SIGKILL), reaps it and removes its folder.
  void Kill();

  /// True while the worker runs and has not failed. Reaps a worker that has
  /// died since the last call.
  bool Usable();

  /// True while a presentation is open.
  bool HasDocument() const { return !documentPath_.empty(); }
  /// The open presentation's slide count and size.
  const RenderDocumentInfo& Document() const { return document_; }

  /// What the worker said about how its LibreOffice draws ("LibreOffice
  /// 26.8.3.1 is not the release this Quillmere was built for (25.2): its
  /// slides are drawn by LibreOffice's PNG export, several times slower");
  /// "" when nothing. The first worker of a process that says something has
  /// it printed on standard error, once.
  const std::string& Notice() const { return notice_; }

  pid_t Pid() const { return pid_; }
  /// The worker's private folder; "" once removed.
  std::string FolderPath() const;
  /// Presentations this worker has been asked to open, failures included.
  int DocumentsOpened() const { return documentsOpened_; }
  /// The memory in bytes the worker and its child processes hold (from
  /// /proc): the worker's resident bytes and each descendant's private ones
  /// (a forked child shares the worker's pages until it writes them, and is
  /// not counted for them again); 0 when unknown.
  std::uint64_t ResidentBytes() const;

  void SetOpenTimeout(std::chrono::milliseconds timeout) { openTimeout_ = timeout; }
  void SetSlideTimeout(std::chrono::milliseconds timeout) { slideTimeout_ = timeout; }
  /// 0: no ceiling.
  void SetMemoryCeiling(std::uint64_t bytes) { memoryCeiling_ = bytes; }

  /// Calls `hook` at every slice of every later wait on the worker; see the
  /// class comment. An empty function removes the hook.
  void SetWaitHook(std::function<void()> hook) { waitHook_ = std::move(hook); }

 private:
  /// Usable(), and when not, why not ("stopped unexpectedly (signal 9)"...).
  bool CheckIdle(std::string* why);
  void Spawn(const std::string& workerPath);
  void AwaitHello();
  WireMessage Exchange(const WireMessage& request, std::chrono::milliseconds timeout,
                       const std::string& subject);
  /// One slice of a wait about `subject` ("" while starting): the memory
  /// ceiling (when `checkMemory`), then the hook. Kills the worker and
  /// rethrows when either throws.
  void Slice(const std::string& subject, bool checkMemory);
  /// Throws qm::Error when the worker's memory is past the ceiling.
  void CheckMemory(const std::string& subject);
  [[noreturn]] void Fail(const std::string& description);
  /// Waits briefly for a worker that closed the connection to end (calling
  /// the hook meanwhile when `callHook`), killing it when it lingers; returns
  /// how it ended.
  std::string ReapAfterEof(bool callHook = true);
  void Reap(bool kill);
  void RemoveFolder();
  /// After a kill during an export: the bitmap asked for.
  void RemovePartialOutput();
  /// The path the worker is to open for the deck at `absolute`: a copy in
  /// its folder when it runs confined, else `absolute`. Throws qm::Error
  /// (about `subject`) when a copy cannot be made.
  std::string StageDeck(const std::string& absolute, const std::string& subject);
  void RemoveStagedDeck();

  std::unique_ptr<WorkerFolder> folder_;
  std::unique_ptr<FrameChannel> channel_;
  int socket_ = -1;
  pid_t pid_ = -1;
  bool failed_ = false;
  std::string workerPath_;
  std::string notice_;  ///< from the worker's greeting
  std::chrono::milliseconds openTimeout_;
  std::chrono::milliseconds slideTimeout_;
  std::uint64_t memoryCeiling_ = 0;
  bool allowLinks_ = false;
  /// The copy of the open deck in the worker's folder; "" when none.
  std::string stagedDeck_;
  std::function<void()> waitHook_;
  /// The worker's descendants as last seen, and slices until the next look.
  std::vector<pid_t> descendants_;
  int slicesUntilDescendants_ = 0;
  /// The bitmap an export in progress writes; "" between exports.
  std::string exportTarget_;
  bool exportTargetExisted_ = false;
  std::string documentPath_;
  RenderDocumentInfo document_;
  int documentsOpened_ = 0;
};

}  // namespace qm
