#pragma once
// The render tests in which each test gets a worker pool, and so workers,
// of its own, with the presentation application over it.

#include <memory>

#include "engine/adapter/LibreOfficeApplicationFactory.h"
#include "engine/render/RenderWorkerPool.h"
#include "tests/engine/RenderTestBase.h"

namespace qm::test {

class OwnPoolTest : public RenderTestBase {
 protected:
  void SetUp() override {
    RenderTestBase::SetUp();
    pool_ = MakePool();
    factory_ = std::make_unique<LibreOfficeApplicationFactory>(pool_);
  }
  /// The pool the factory draws from; by default one with the test's settings.
  virtual std::shared_ptr<RenderWorkerPool> MakePool() {
    return std::make_shared<RenderWorkerPool>(settings_);
  }
  void ReleaseWorkers() override {
    factory_.reset();
    pool_.reset();
  }

  std::shared_ptr<Application> Create() { return factory_->Create("PowerPoint.Application"); }

  std::shared_ptr<RenderWorkerPool> pool_;
  std::unique_ptr<LibreOfficeApplicationFactory> factory_;
};

}  // namespace qm::test
