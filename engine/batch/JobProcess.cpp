#include "engine/batch/JobProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iterator>
#include <set>
#include <thread>

#include "base/ChildProgram.h"
#include "base/TemporaryName.h"
#include "base/Error.h"
#include "engine/batch/JobMessageType.h"

namespace qm {

namespace {

constexpr int kJobFd = 3;

std::string DescribeEnd(int status) {
  if (WIFSIGNALED(status))
    return std::string("stopped unexpectedly (") + ::strsignal(WTERMSIG(status)) + ")";
  if (WIFEXITED(status)) return "ended with exit status " + std::to_string(WEXITSTATUS(status));
  return "ended with status " + std::to_string(status);
}

}  // namespace

JobProcess::JobProcess(const std::string& jobPath, int jobs, bool allowLinks) : allowLinks_(allowLinks) {
  if (jobPath.empty() || ::access(jobPath.c_str(), X_OK) != 0)
    throw Error("The conversion job program is missing: " +
                (jobPath.empty() ? std::string("quillmere-job") : jobPath) +
                " does not exist or cannot be run");
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
    throw Error(std::string("A conversion job could not be started: ") + std::strerror(errno));
  ChildProgram child;
  child.argv = {jobPath, "--fd", std::to_string(kJobFd), "--parent", std::to_string(::getpid()),
                "--jobs", std::to_string(jobs)};
  if (allowLinks) child.argv.push_back("--allow-links");
  child.connectionFd = pair[1];
  child.childFd = kJobFd;
  child.quietStandardStreams = true;
  // The job starts with nothing blocked, whatever the front end blocked.
  sigemptyset(&child.blocked);
  std::string error;
  pid_ = StartChildProgram(child, &error);
  (void)::close(pair[1]);  // the job's end: it holds its own copy now
  if (pid_ < 0) {
    (void)::close(pair[0]);  // never used
    throw Error("A conversion job could not be started: " + error);
  }
  socket_ = pair[0];
  channel_ = std::make_unique<FrameChannel>(socket_, socket_);
}

JobProcess::~JobProcess() { Reap(0); }

WireMessage JobProcess::TasksMessage(const std::vector<FileTask>& group) {
  WireMessage message(static_cast<std::uint8_t>(JobMessageType::kTasks));
  message.PutU32(static_cast<std::uint32_t>(group.size()));
  for (const FileTask& task : group) task.PutTo(message);
  return message;
}

bool JobProcess::Hand(const std::vector<FileTask>& group, const WireMessage& message) {
  batch_ = group;
  finished_.assign(group.size(), false);
  current_ = 0;
  slide_ = 0;
  return channel_->Write(message);
}

std::vector<FileTask> JobProcess::Unfinished() const {
  std::vector<FileTask> left;
  if (const FileTask* current = Current()) left.push_back(*current);
  for (FileTask& task : NotStarted()) left.push_back(std::move(task));
  return left;
}

const FileTask* JobProcess::TaskAt(int position) const {
  for (const FileTask& task : batch_)
    if (task.position == position) return &task;
  return nullptr;
}

void JobProcess::Finished(int position) {
  for (std::size_t i = 0; i < batch_.size(); ++i)
    if (batch_[i].position == position) finished_[i] = true;
  if (current_ == position) current_ = 0;
}

std::vector<FileTask> JobProcess::NotStarted() const {
  std::vector<FileTask> left;
  for (std::size_t i = 0; i < batch_.size(); ++i)
    if (!finished_[i] && batch_[i].position != current_) left.push_back(batch_[i]);
  return left;
}

void JobProcess::Stop() {
  if (stopping_ || pid_ <= 0) return;
  stopping_ = true;
  if (channel_) channel_->Write(WireMessage(static_cast<std::uint8_t>(JobMessageType::kQuit)));
  (void)::kill(pid_, SIGTERM);  // it may have ended already; Reap waits either way
}

std::string JobProcess::Reap(int graceMs) {
  if (socket_ >= 0) {
    (void)::close(socket_);  // the job's messages are read or no longer wanted
    socket_ = -1;
  }
  if (pid_ <= 0) return "";
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
  for (;;) {
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_ || (done < 0 && errno != EINTR)) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      (void)::kill(pid_, SIGKILL);  // it may have ended meanwhile: waited for below
      while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const pid_t ended = pid_;
  pid_ = -1;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
  RemoveLeftovers(ended);
  if (stopping_) return "";
  return DescribeEnd(status);
}

void JobProcess::StopForTime(std::chrono::seconds limit) {
  if (timedOut_ || pid_ <= 0) return;
  timedOut_ = true;
  NoteFault("was stopped: the file took longer than " + std::to_string(limit.count()) + " s");
  (void)::kill(pid_, SIGKILL);  // its renderer follows (parent-death signal); may be gone
}

void JobProcess::RemoveLeftovers(pid_t ended) const {
  // Its temporaries (slide pictures of a join, bitmaps, a PNG being written)
  // bear its process id; nobody else's are touched.
  std::set<std::string> folders;
  for (const FileTask& task : batch_) folders.insert(task.outputFolder.empty() ? "." : task.outputFolder);
  for (const std::string& folder : folders) (void)SweepStaleTemporaries(folder, ended);
}

void JobProcess::AddWritten(std::vector<std::string> paths) {
  if (written_.empty()) {
    written_ = std::move(paths);
  } else {
    written_.insert(written_.end(), std::make_move_iterator(paths.begin()),
                    std::make_move_iterator(paths.end()));
  }
}

std::vector<std::string> JobProcess::TakeWritten() {
  std::vector<std::string> written = std::move(written_);
  written_.clear();
  return written;
}

}  // namespace qm
