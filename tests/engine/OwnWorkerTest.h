#pragma once
// The render tests in which each test starts (and ends) a worker of its own.

#include <memory>

#include "engine/render/RenderWorker.h"
#include "tests/engine/RenderTestBase.h"

namespace qm::test {

class OwnWorkerTest : public RenderTestBase {
 protected:
  void ReleaseWorkers() override { worker_.reset(); }

  /// The test's worker, started with the fixture's settings on first use;
  /// resetting `worker_` ends it, and the next call starts a fresh one.
  RenderWorker& Worker() {
    if (!worker_) worker_ = std::make_unique<RenderWorker>(settings_);
    return *worker_;
  }

  std::unique_ptr<RenderWorker> worker_;
};

}  // namespace qm::test
