#pragma once
// Keeps one render worker warm between presentations.

#include <functional>
#include <memory>
#include <mutex>

#include "engine/render/RenderWorker.h"
#include "engine/render/RenderWorkerSettings.h"

namespace qm {

/// A pool of one: starting LibreOffice costs far more than rendering a slide,
/// so the worker a session gives back is kept running for the next session.
/// A returned worker is kept only when it is usable, has no presentation open
/// and is within the recycling bounds (documents opened, resident memory);
/// otherwise it is ended and the next Acquire() starts a fresh one. Any number
/// of workers may be out at once; only one is kept warm.
///
/// Thread-safe. Destroying the pool ends the warm worker.
class RenderWorkerPool {
 public:
  explicit RenderWorkerPool(RenderWorkerSettings settings);
  ~RenderWorkerPool();
  RenderWorkerPool(const RenderWorkerPool&) = delete;
  RenderWorkerPool& operator=(const RenderWorkerPool&) = delete;

  /// The warm worker when there is a usable one, else a freshly started one.
  /// Throws qm::Error when no worker can be started.
  std::unique_ptr<RenderWorker> Acquire();

  /// Takes a worker back (null is ignored); see the class comment.
  void Release(std::unique_ptr<RenderWorker> worker);

  /// Ends the warm worker, if any.
  void Shutdown();

  /// True when a warm worker is waiting.
  bool HasWarmWorker() const;
  /// Process id of the warm worker; -1 when none waits.
  pid_t WarmWorkerPid() const;
  /// Workers started by this pool so far.
  int WorkersStarted() const;

  /// The settings new workers start with; changes apply to later starts and,
  /// for the timeouts and the memory ceiling, to every worker handed out
  /// afterwards.
  RenderWorkerSettings Settings() const;
  void SetSettings(const RenderWorkerSettings& settings);

  /// The wait hook (RenderWorker::SetWaitHook) of every worker handed out
  /// afterwards, from its start-up on; a worker given back loses it.
  void SetWaitHook(std::function<void()> hook);

 private:
  bool DueForRecycling(RenderWorker& worker) const;

  mutable std::mutex mutex_;
  RenderWorkerSettings settings_;
  std::function<void()> waitHook_;
  std::unique_ptr<RenderWorker> warm_;
  int started_ = 0;
};

}  // namespace qm
