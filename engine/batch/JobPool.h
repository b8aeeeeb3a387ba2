#pragma once
// Idle conversion jobs kept warm from one run to the next.

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/batch/JobProcess.h"

namespace qm {

/// Jobs that asked for work when their run had none left, parked with their
/// renderer warm, for the next run of any thread to take instead of
/// starting a job (and LibreOffice) afresh. A long-lived front end (the
/// service) keeps one; a run without it stops its jobs at its end.
/// Thread-safe. A parked job that dies is noticed by the run that takes it,
/// as any job's end is.
class JobPool {
 public:
  /// Keeps at most `capacity` jobs; a job parked past that is stopped.
  explicit JobPool(std::size_t capacity) : capacity_(capacity) {}
  /// Stops and reaps every parked job.
  ~JobPool();
  JobPool(const JobPool&) = delete;
  JobPool& operator=(const JobPool&) = delete;

  /// A parked job whose renderer was started as `allowLinks` says; null when
  /// none waits.
  std::unique_ptr<JobProcess> Take(bool allowLinks);
  /// Parks `job`: greeted, its batch finished, waiting for its next tasks.
  void Park(std::unique_ptr<JobProcess> job);
  std::size_t Parked() const;
  /// Takes that found no job waiting (so a job, and its renderer, was started).
  std::size_t Misses() const;

 private:
  mutable std::mutex mutex_;
  std::size_t capacity_;
  std::vector<std::unique_ptr<JobProcess>> parked_;
  std::size_t misses_ = 0;
};

}  // namespace qm
