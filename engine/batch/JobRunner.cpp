#include "engine/batch/JobRunner.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "base/Error.h"
#include "base/ProgramFolder.h"
#include "engine/batch/JobMessage.h"
#include "engine/batch/JobMessageType.h"
#include "engine/batch/JobPool.h"
#include "engine/batch/JobProcess.h"
#include "engine/batch/WorkQueue.h"
#include "engine/render/RenderWorkerSettings.h"

namespace qm {

namespace {

using Clock = std::chrono::steady_clock;

/// The longest wait between two calls of JobEvents::Poll.
constexpr int kSliceMs = 100;
/// Time allowed for the rest of a frame once its first byte has arrived.
constexpr int kFrameMs = 10'000;
/// How long stopped jobs get to finish their slide and clean up.
constexpr auto kStopGrace = std::chrono::seconds(10);
/// Jobs that may die one after another without finishing a file before the
/// run stops starting new ones.
constexpr int kMaxDeathsWithoutProgress = 3;

/// The run's state: the queue, the jobs, the events.
class Dispatch {
 public:
  Dispatch(const std::string& jobPath, int jobs, bool allowLinks, std::chrono::seconds fileTimeout,
           const CancelToken* cancel, JobPool* pool, const std::vector<FileTask>& tasks,
           JobEvents& events)
      : jobPath_(jobPath), allowLinks_(allowLinks), fileTimeout_(fileTimeout), cancel_(cancel),
        pool_(pool), queue_(tasks, jobs > 1 ? WorkQueue::Order::kBiggestFirst : WorkQueue::Order::kList),
        events_(events) {
    wanted_ = std::min<std::size_t>(static_cast<std::size_t>(std::max(jobs, 1)),
                                    queue_.GroupsLeft());
    std::vector<JobProcess*> warm;
    while (pool_ != nullptr && jobs_.size() < wanted_) {
      std::unique_ptr<JobProcess> job = pool_->Take(allowLinks_);
      if (!job) break;
      warm.push_back(job.get());
      jobs_.push_back(std::move(job));
    }
    while (jobs_.size() < wanted_ && StartJob()) {
    }
    // A parked job asked for work before it was parked: it is handed its
    // first batch now. One gone meanwhile ends as any job does.
    for (JobProcess* job : warm)
      if (!HandOut(*job)) End(*job);
  }

  JobRunner::Outcome Run() {
    while (!jobs_.empty()) {
      std::vector<pollfd> fds;
      for (auto& job : jobs_) fds.push_back({job->Fd(), POLLIN, 0});
      const int ready = ::poll(fds.data(), fds.size(), kSliceMs);
      if (!cancelled_ && (events_.Poll() || (cancel_ != nullptr && cancel_->Requested()))) Cancel();
      if (cancelled_ && Clock::now() > stopDeadline_) {
        for (auto& job : jobs_) job->Reap(0);
        jobs_.clear();
        break;
      }
      if (fileTimeout_.count() > 0 && !cancelled_) {
        // A file past its time: its job is ended; the end shows on its socket.
        for (auto& job : jobs_)
          if (job->Current() != nullptr && Clock::now() - job->StartedAt() > fileTimeout_)
            job->StopForTime(fileTimeout_);
      }
      if (ready <= 0) continue;
      // Jobs that end are removed after the pass, so indexes stay valid.
      std::vector<JobProcess*> ended;
      for (std::size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].revents == 0) continue;
        if (!Serve(*jobs_[i])) ended.push_back(jobs_[i].get());
      }
      for (JobProcess* job : ended) End(*job);
      ParkIdle();
    }
    if (!cancelled_ && !queue_.Empty()) {
      // No job could be started, or all died: nothing is left to convert with.
      events_.JobFailed(nullptr, 0, queue_.Drain(), failure_.empty()
                                                        ? "no conversion job is running"
                                                        : failure_);
    }
    return cancelled_ ? JobRunner::Outcome::kCancelled : JobRunner::Outcome::kFinished;
  }

 private:
  bool StartJob() {
    try {
      jobs_.push_back(std::make_unique<JobProcess>(jobPath_, static_cast<int>(wanted_), allowLinks_));
      return true;
    } catch (const Error& error) {
      failure_ = error.what();
      return false;
    }
  }

  /// Moves the jobs that asked for work when none was left into the pool.
  void ParkIdle() {
    for (JobProcess* job : idle_) {
      const auto owned = std::find_if(jobs_.begin(), jobs_.end(),
                                      [&](const auto& candidate) { return candidate.get() == job; });
      if (owned == jobs_.end()) continue;
      pool_->Park(std::move(*owned));
      jobs_.erase(owned);
    }
    idle_.clear();
  }

  void Cancel() {
    cancelled_ = true;
    stopDeadline_ = Clock::now() + kStopGrace;
    queue_.Drain();
    for (auto& job : jobs_) job->Stop();
  }

  /// Handles one message of `job`; false when the job has ended, or talks
  /// in a way this program cannot trust (its fault is noted then).
  bool Serve(JobProcess& job) {
    WireMessage message;
    if (job.Channel().Read(kFrameMs, &message) != FrameChannel::ReadStatus::kOk) return false;
    JobMessage decoded;
    std::string why;
    if (!DecodeJobMessage(message, &decoded, &why)) {
      job.NoteFault("sent a damaged message (" + why + ") and was ended");
      return false;
    }
    if (!job.Greeted()) return Greet(job, decoded);
    if (decoded.type == JobMessageType::kReady) return HandOut(job);
    const FileTask* task = job.TaskAt(decoded.position);
    if (task == nullptr) {
      job.NoteFault("named file " + std::to_string(decoded.position) +
                    ", which it was not given, and was ended");
      return false;
    }
    return ServeFileMessage(job, *task, decoded);
  }

  /// Answers a job's kReady with the next group of files that fits a frame,
  /// or stops it when none is left. What it asks again for without having
  /// converted is reported: it could not read those tasks (they were once
  /// replaced by the next group, unreported). A group too big to send is
  /// reported instead of sent.
  bool HandOut(JobProcess& job) {
    if (const std::vector<FileTask> unread = job.Unfinished(); !unread.empty()) {
      for (const FileTask& task : unread) job.Finished(task.position);  // reported once
      events_.JobFailed(nullptr, 0, unread, "the conversion job could not read the task of the file");
    }
    for (;;) {
      const std::vector<FileTask> group = cancelled_ ? std::vector<FileTask>() : queue_.Next();
      if (group.empty() && pool_ != nullptr && !cancelled_) {
        idle_.push_back(&job);  // parked after this pass, warm
        return true;
      }
      if (group.empty()) {
        job.Stop();
        return true;
      }
      const WireMessage tasks = JobProcess::TasksMessage(group);
      if (tasks.Bytes().size() <= kMaxFrameBytes) return job.Hand(group, tasks);
      events_.JobFailed(nullptr, 0, group,
                        "the task of the file is too big to hand to a conversion job (" +
                            std::to_string(tasks.Bytes().size()) + " bytes; a message holds at most " +
                            std::to_string(kMaxFrameBytes) + ")");
    }
  }

  /// Handles a message of `job` about `task`, one of the files it was given.
  bool ServeFileMessage(JobProcess& job, const FileTask& task, JobMessage& decoded) {
    switch (decoded.type) {
      case JobMessageType::kFileStarted:
        job.Started(decoded.position);
        events_.FileStarted(task);
        break;
      case JobMessageType::kSlide:
        job.Slide(decoded.slide);
        events_.SlideStarted(task, decoded.slide, decoded.count);
        break;
      case JobMessageType::kReport:
        events_.Report(task, decoded.text, decoded.consequence);
        break;
      case JobMessageType::kMessage:
        events_.Message(task, decoded.text);
        break;
      case JobMessageType::kQuestion: {
        const bool yes = !cancelled_ && events_.Question(task, decoded.text);
        WireMessage answer(static_cast<std::uint8_t>(JobMessageType::kAnswer));
        answer.PutU32(yes ? 1 : 0);
        // A job that cannot be written to is gone: its end shows on its
        // socket and is handled there.
        (void)job.Channel().Write(answer);
        break;
      }
      case JobMessageType::kWritten:
        job.AddWritten(std::move(decoded.paths));
        break;
      case JobMessageType::kSkipped:
        events_.FileSkipped(task);
        break;
      case JobMessageType::kFacts:
        events_.FileFacts(task, decoded.facts);
        break;
      case JobMessageType::kFileDone: {
        const FileTask done = task;
        const std::vector<std::string> written = job.TakeWritten();
        job.Finished(decoded.position);
        deathsWithoutProgress_ = 0;
        events_.FileDone(done, written, decoded.slides);
        break;
      }
      default:
        job.NoteFault("sent a message out of turn and was ended");
        return false;
    }
    return true;
  }

  /// The job's first message: it must greet in this program's protocol. A
  /// job of another build is ended, and none is started again (the next
  /// would be the same program).
  bool Greet(JobProcess& job, const JobMessage& hello) {
    if (hello.type == JobMessageType::kHello && hello.magic == kJobProtocolMagic &&
        hello.version == kJobProtocolVersion) {
      job.NoteGreeted();
      return true;
    }
    job.NoteFault(
        hello.type == JobMessageType::kHello && hello.magic == kJobProtocolMagic
            ? "is from another build of Quillmere (it speaks version " +
                  std::to_string(hello.version) + " of the job protocol, this program version " +
                  std::to_string(kJobProtocolVersion) + "): " + jobPath_ +
                  "; install the program and its jobs from one build"
            : "did not greet as a Quillmere job does: " + jobPath_ + " is not a job of this program");
    deathsWithoutProgress_ = kMaxDeathsWithoutProgress;
    return false;
  }

  /// Reaps an ended job, reports what it left unconverted, and starts a
  /// replacement when work is waiting.
  void End(JobProcess& job) {
    std::string how = job.Reap(cancelled_ ? 3000 : 1000);
    if (!job.Fault().empty()) how = job.Fault();
    const FileTask* stopped = job.Current();
    std::vector<FileTask> left = job.NotStarted();
    const bool timedOut = job.TimedOut();  // `job` is gone after the erase below
    if (!cancelled_ && (stopped != nullptr || !left.empty())) {
      events_.JobFailed(stopped, job.CurrentSlide(), left,
                        "the conversion job " + (how.empty() ? std::string("ended") : how));
    }
    jobs_.erase(std::find_if(jobs_.begin(), jobs_.end(),
                             [&](const auto& owned) { return owned.get() == &job; }));
    // A job that keeps dying before it finishes anything is not restarted for
    // ever; one of another build is not restarted at all (Greet).
    // A file that took too long says nothing about the next one.
    deathsWithoutProgress_ = how.empty() || timedOut ? 0 : deathsWithoutProgress_ + 1;
    if (!cancelled_ && !queue_.Empty() && jobs_.size() < wanted_ &&
        deathsWithoutProgress_ < kMaxDeathsWithoutProgress) {
      StartJob();
    } else if (!how.empty()) {
      failure_ = "the conversion job " + how;
    }
  }

  const std::string& jobPath_;
  bool allowLinks_;
  std::chrono::seconds fileTimeout_;
  const CancelToken* cancel_;
  JobPool* pool_;
  WorkQueue queue_;
  JobEvents& events_;
  std::vector<std::unique_ptr<JobProcess>> jobs_;
  std::vector<JobProcess*> idle_;  ///< asked for work when none was left: to park
  bool cancelled_ = false;
  Clock::time_point stopDeadline_;
  std::string failure_;
  std::size_t wanted_ = 0;
  int deathsWithoutProgress_ = 0;
};

}  // namespace

JobRunner::Outcome JobRunner::Run(const std::vector<FileTask>& tasks, JobEvents& events) {
  if (tasks.empty()) return Outcome::kFinished;
  Dispatch dispatch(jobPath_, jobs_, allowLinks_, fileTimeout_, cancel_, pool_, tasks, events);
  return dispatch.Run();
}

std::string DefaultJobPath() {
  const char* path = std::getenv("QUILLMERE_JOB");
  if (path != nullptr && *path != '\0') return path;
  const std::string folder = HelperFolder();
  return folder.empty() ? std::string() : folder + "quillmere-job";
}

int DefaultJobCount() {
  const long cores = ::sysconf(_SC_NPROCESSORS_ONLN);
  return std::min(static_cast<int>(std::max(1L, cores)), MaxJobsForMemory());
}

}  // namespace qm
