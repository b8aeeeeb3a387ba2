#include "engine/batch/JobPool.h"

#include <algorithm>

namespace qm {

namespace {
/// How long a parked job gets to end after kQuit before it is killed.
constexpr int kQuitGraceMs = 3000;

void StopAndReap(JobProcess& job) {
  job.Stop();
  // Its end says nothing to anyone: it had no file.
  (void)job.Reap(kQuitGraceMs);
}
}  // namespace

JobPool::~JobPool() {
  std::vector<std::unique_ptr<JobProcess>> parked;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    parked.swap(parked_);
  }
  for (auto& job : parked) job->Stop();  // all asked first, then waited for
  for (auto& job : parked) (void)job->Reap(kQuitGraceMs);  // no file was under way
}

std::unique_ptr<JobProcess> JobPool::Take(bool allowLinks) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto found = std::find_if(parked_.begin(), parked_.end(),
                                  [&](const auto& job) { return job->AllowsLinks() == allowLinks; });
  if (found == parked_.end()) {
    ++misses_;
    return nullptr;
  }
  std::unique_ptr<JobProcess> job = std::move(*found);
  parked_.erase(found);
  return job;
}

void JobPool::Park(std::unique_ptr<JobProcess> job) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (parked_.size() < capacity_) {
      parked_.push_back(std::move(job));
      return;
    }
  }
  StopAndReap(*job);
}

std::size_t JobPool::Misses() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return misses_;
}

std::size_t JobPool::Parked() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return parked_.size();
}

}  // namespace qm
