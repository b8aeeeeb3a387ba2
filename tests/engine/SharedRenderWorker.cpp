#include "tests/engine/SharedRenderWorker.h"

namespace qm::test {

namespace {

/// The one instance; GoogleTest owns it once registered.
SharedRenderWorker* const gShared = [] {
  auto* shared = new SharedRenderWorker;
  ::testing::AddGlobalTestEnvironment(shared);
  return shared;
}();

}  // namespace

RenderWorker& SharedRenderWorker::Get(const RenderWorkerSettings& settings) {
  SharedRenderWorker& self = *gShared;
  if (self.worker_ && self.worker_->Usable()) return *self.worker_;
  self.worker_.reset();
  if (!self.root_) self.root_ = std::make_unique<TempFolder>();
  RenderWorkerSettings own = settings;
  own.tempRoot = self.root_->Path();
  self.worker_ = std::make_unique<RenderWorker>(own);
  return *self.worker_;
}

void SharedRenderWorker::CloseDocument() {
  if (gShared->worker_ && gShared->worker_->Usable()) gShared->worker_->Close();
}

void SharedRenderWorker::TearDown() {
  worker_.reset();
  root_.reset();
}

}  // namespace qm::test
