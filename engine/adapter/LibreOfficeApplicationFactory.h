#pragma once
// Presentation application objects rendered by LibreOffice.

#include <functional>
#include <memory>
#include <string>

#include "engine/adapter/ApplicationFactory.h"

namespace qm {

class DeckRenderer;
class RenderWorkerPool;

/// Creates application objects backed by render workers (LibreOfficeKit in a
/// process of its own). Create() leases a worker from the pool, starting
/// LibreOffice when no warm worker waits; the application's Quit() gives it
/// back warm. Attach() always fails: the program's own workers are never an
/// instance the user runs, and a LibreOffice the user has open never answers
/// as "Microsoft PowerPoint", so nothing could count as running.
class LibreOfficeApplicationFactory : public ApplicationFactory {
 public:
  /// A factory with a pool of its own, set up from the environment
  /// (RenderWorkerSettings::FromEnvironment()).
  LibreOfficeApplicationFactory();
  /// A factory sharing `pool`.
  explicit LibreOfficeApplicationFactory(std::shared_ptr<RenderWorkerPool> pool);
  /// A factory whose applications each draw with a renderer `makeRenderer`
  /// gives (the presentation objects over another renderer); it has no pool.
  explicit LibreOfficeApplicationFactory(std::function<std::shared_ptr<DeckRenderer>()> makeRenderer);

  /// `progId` must be "PowerPoint.Application" (letter case aside). Throws
  /// qm::Error for another class, or when no worker can be started (worker
  /// executable or LibreOffice missing).
  std::shared_ptr<Application> Create(const std::string& progId) override;

  /// Always throws qm::Error ("No presentation application is running").
  std::shared_ptr<Application> Attach(const std::string& progId) override;

  RenderWorkerPool& Pool() { return *pool_; }

 private:
  std::shared_ptr<RenderWorkerPool> pool_;  ///< null with a renderer maker of the caller's
  std::function<std::shared_ptr<DeckRenderer>()> makeRenderer_;
};

}  // namespace qm
