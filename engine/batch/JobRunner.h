#pragma once
// Converts a run's files in parallel job processes, handing out work from a
// queue, and tells a front end what happens.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "base/CancelToken.h"
#include "engine/batch/FileTask.h"
#include "engine/batch/JobEvents.h"

namespace qm {

class JobPool;

/// Runs tasks in up to `jobs` processes of `jobPath` (quillmere-job). Each
/// job takes the next group of files from a WorkQueue when it is free, so a
/// big deck never holds up files behind it while another job sits idle.
///
/// Waits are sliced (100 ms) and call JobEvents::Poll between slices; a
/// cancel (Poll returning true, or the cancel token's request) asks
/// every job to stop at its next slide and waits for them to clean up. A job
/// that does not end within a few seconds after that is killed. When Run
/// returns, no job process is left.
class JobRunner {
 public:
  JobRunner(std::string jobPath, int jobs) : jobPath_(std::move(jobPath)), jobs_(jobs) {}

  enum class Outcome { kFinished, kCancelled };

  /// Lets the jobs' renderers fetch what decks link to (off by default: they
  /// run confined, offline, reading only the deck).
  void SetAllowLinks(bool allow) { allowLinks_ = allow; }
  /// A file a job has worked on for longer than `limit` ends that job: the
  /// file is reported as not converted and a fresh job takes the rest. 0:
  /// no limit (the default).
  void SetFileTimeout(std::chrono::seconds limit) { fileTimeout_ = limit; }
  /// A token (not owned) whose request cancels the run as Poll returning
  /// true does: the program's stop signals (StopSignals::Token()).
  void SetCancelToken(const CancelToken* token) { cancel_ = token; }
  /// Jobs are taken from `pool` (not owned) before any is started, and a job
  /// that asks for work when none is left is parked there, warm, instead of
  /// stopped. Null (the default): the run's jobs end with it.
  void SetJobPool(JobPool* pool) { pool_ = pool; }

  /// Converts `tasks` (in list order) and returns when every one is done or
  /// reported, or when the run was cancelled.
  Outcome Run(const std::vector<FileTask>& tasks, JobEvents& events);

 private:
  std::string jobPath_;
  int jobs_;
  bool allowLinks_ = false;
  std::chrono::seconds fileTimeout_{0};
  const CancelToken* cancel_ = nullptr;
  JobPool* pool_ = nullptr;
};

/// quillmere-job in the helper programs' folder (HelperFolder()), or the path in
/// QUILLMERE_JOB when that is set (tests point it elsewhere).
std::string DefaultJobPath();

/// The number of jobs to run when the person did not say: the number of
/// cores, but no more than the render workers' memory allows.
int DefaultJobCount();

}  // namespace qm
