#include "engine/render/RenderWorkerPool.h"

#include <utility>

namespace qm {

RenderWorkerPool::RenderWorkerPool(RenderWorkerSettings settings)
    : settings_(std::move(settings)) {}

RenderWorkerPool::~RenderWorkerPool() { Shutdown(); }

std::unique_ptr<RenderWorker> RenderWorkerPool::Acquire() {
  std::unique_ptr<RenderWorker> worker;
  RenderWorkerSettings settings;
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    worker = std::move(warm_);
    settings = settings_;
    hook = waitHook_;
  }
  if (worker && !worker->Usable()) worker.reset();  // died while waiting
  if (!worker) {
    worker = std::make_unique<RenderWorker>(settings, hook);
    std::lock_guard<std::mutex> lock(mutex_);
    ++started_;
  }
  worker->SetOpenTimeout(settings.openTimeout);
  worker->SetSlideTimeout(settings.slideTimeout);
  worker->SetMemoryCeiling(settings.memoryCeilingBytes);
  worker->SetWaitHook(std::move(hook));
  return worker;
}

bool RenderWorkerPool::DueForRecycling(RenderWorker& worker) const {
  if (worker.DocumentsOpened() >= settings_.recycleAfterDocuments) return true;
  // A worker kept near its memory ceiling would fail the next, innocent file.
  std::uint64_t limit = settings_.recycleAboveBytes;
  if (settings_.memoryCeilingBytes > 0 && settings_.memoryCeilingBytes / 2 < limit) {
    limit = settings_.memoryCeilingBytes / 2;
  }
  return worker.ResidentBytes() > limit;
}

void RenderWorkerPool::Release(std::unique_ptr<RenderWorker> worker) {
  if (!worker) return;
  if (worker->Usable() && worker->HasDocument()) {
    try {
      worker->Close();
    } catch (...) {
      // The worker failed while closing (or its hook asked to stop, and it
      // was killed) and is unusable now; dropped below.
    }
  }
  worker->SetWaitHook({});  // the hook belongs to whoever had the worker
  std::unique_ptr<RenderWorker> ending;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!warm_ && worker->Usable() && !DueForRecycling(*worker)) {
      warm_ = std::move(worker);
    } else {
      ending = std::move(worker);
    }
  }
  // `ending` quits here, outside the lock.
}

void RenderWorkerPool::Shutdown() {
  std::unique_ptr<RenderWorker> ending;
  std::lock_guard<std::mutex> lock(mutex_);
  ending = std::move(warm_);
}

bool RenderWorkerPool::HasWarmWorker() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return warm_ != nullptr;
}

pid_t RenderWorkerPool::WarmWorkerPid() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return warm_ ? warm_->Pid() : -1;
}

int RenderWorkerPool::WorkersStarted() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return started_;
}

RenderWorkerSettings RenderWorkerPool::Settings() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return settings_;
}

void RenderWorkerPool::SetSettings(const RenderWorkerSettings& settings) {
  std::lock_guard<std::mutex> lock(mutex_);
  settings_ = settings;
}

void RenderWorkerPool::SetWaitHook(std::function<void()> hook) {
  std::lock_guard<std::mutex> lock(mutex_);
  waitHook_ = std::move(hook);
}

}  // namespace qm
