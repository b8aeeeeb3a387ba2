#pragma once
// The front end's handle on one conversion job process.

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "engine/batch/FileTask.h"
#include "engine/protocol/FrameChannel.h"

namespace qm {

/// Starts quillmere-job with posix_spawn (never a fork of the front end,
/// whose threads a fork would not carry) over a socket pair, and keeps what
/// the runner needs to know of it: the files it was handed and how far it got.
class JobProcess {
 public:
  /// Starts `jobPath`, one of `jobs` jobs of the run. Throws qm::Error with a
  /// sentence when it cannot.
  JobProcess(const std::string& jobPath, int jobs, bool allowLinks = false);
  /// Kills the job if it still runs and reaps it.
  ~JobProcess();
  JobProcess(const JobProcess&) = delete;
  JobProcess& operator=(const JobProcess&) = delete;

  pid_t Pid() const { return pid_; }
  /// True when its renderer may fetch what decks link to.
  bool AllowsLinks() const { return allowLinks_; }
  int Fd() const { return socket_; }
  FrameChannel& Channel() { return *channel_; }

  /// The kTasks message of `group`; one bigger than a frame (kMaxFrameBytes)
  /// cannot be sent.
  static WireMessage TasksMessage(const std::vector<FileTask>& group);

  /// Sends `message`, the TasksMessage of `group`, as the job's next batch
  /// and remembers the group. The batch before must be done (Unfinished()
  /// empty), else its files are lost from view.
  bool Hand(const std::vector<FileTask>& group, const WireMessage& message);

  /// The files of the batch not finished: the one under way, if any, and
  /// those never started.
  std::vector<FileTask> Unfinished() const;
  /// The task at list `position` in the current batch; null when none.
  const FileTask* TaskAt(int position) const;
  /// Notes that the task at `position` started / finished.
  void Started(int position) {
    current_ = position;
    slide_ = 0;
    startedAt_ = std::chrono::steady_clock::now();
  }
  /// When the task under way started.
  std::chrono::steady_clock::time_point StartedAt() const { return startedAt_; }
  /// Ends the job at once because its file took longer than `limit`; the
  /// fault says so. Idempotent.
  void StopForTime(std::chrono::seconds limit);
  /// True when the job was ended by StopForTime.
  bool TimedOut() const { return timedOut_; }
  void Slide(int slide) { slide_ = slide; }
  void Finished(int position);
  /// The task under way (started, not finished); null when none.
  const FileTask* Current() const { return current_ ? TaskAt(current_) : nullptr; }
  int CurrentSlide() const { return slide_; }
  /// Tasks of the batch that were never started.
  std::vector<FileTask> NotStarted() const;

  /// True once the job has greeted with the protocol this program speaks.
  bool Greeted() const { return greeted_; }
  void NoteGreeted() { greeted_ = true; }
  /// Images the file at `position` has reported so far (kWritten parts);
  /// TakeWritten hands them over and starts afresh.
  void AddWritten(std::vector<std::string> paths);
  std::vector<std::string> TakeWritten();

  /// Why the front end ended the job (a damaged message, another build), a
  /// phrase that follows "the conversion job"; "" when it did not.
  const std::string& Fault() const { return fault_; }
  void NoteFault(std::string fault) { fault_ = std::move(fault); }

  /// Asks the job to stop: kQuit, then SIGTERM so a file under way stops at
  /// its next slide. Idempotent.
  void Stop();

  /// Closes the connection and reaps the job, waiting at most `graceMs`
  /// before killing it. A job that did not end with status 0 leaves no
  /// temporary file of its own in its files' output folders. Returns a
  /// description of how it ended when that was not a plain exit with status
  /// 0 or a stop asked for; "" otherwise.
  std::string Reap(int graceMs);

 private:
  void RemoveLeftovers(pid_t ended) const;

  pid_t pid_ = -1;
  int socket_ = -1;
  std::unique_ptr<FrameChannel> channel_;
  std::vector<FileTask> batch_;
  std::vector<bool> finished_;
  int current_ = 0;
  int slide_ = 0;
  std::chrono::steady_clock::time_point startedAt_;
  bool timedOut_ = false;
  bool stopping_ = false;
  bool greeted_ = false;
  bool allowLinks_ = false;
  std::vector<std::string> written_;
  std::string fault_;
};

}  // namespace qm
