#include "cli/JobRunner.h"

#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/batch/BatchRun.h"
#include "cli/JobUi.h"
#include "cli/ListRunOptions.h"
#include "imaging/writers/SaveAsAny.h"

namespace qm {

namespace {

struct Job {
  pid_t pid = -1;
  int eventFd = -1;  ///< read end; -1 once the job closed it
  std::string pending;
  std::size_t files = 0;
};

/// The job's whole life, in the child process. Never returns.
[[noreturn]] void RunJob(const std::vector<std::string>& share, const CommandLine& options,
                         const FactoryMaker& makeFactory, int eventFd) {
  int status = 2;
  // Every slide passes through several picture-sized buffers; keeping freed
  // ones in the heap instead of returning them to the system saves the page
  // faults of mapping them afresh for each slide.
  ::mallopt(M_MMAP_THRESHOLD, 256 << 20);
  ::mallopt(M_TRIM_THRESHOLD, 512 << 20);
  try {
    auto factory = makeFactory();
    JobUi ui(eventFd, options.slideText, options.direction);
    ListRunOptions runOptions(share, options.modeText, options.outputFolder, options.beside);
    BatchRun run(*factory, ui, runOptions);
    // A job is its own program: it starts the imaging layer as start-up would.
    run.SetGdiStartFailed(!StartGdiPlus());
    run.Start();
    StopGdiPlus();
    status = ui.Reports() > 0 ? 1 : 0;
  } catch (...) {
    status = 2;
  }
  ::_exit(status);
}

void ReadEvents(Job& job, ProgressDisplay& display) {
  char buffer[4096];
  const ssize_t n = ::read(job.eventFd, buffer, sizeof buffer);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
  if (n <= 0) {
    ::close(job.eventFd);
    job.eventFd = -1;
    return;
  }
  job.pending.append(buffer, static_cast<std::size_t>(n));
  std::size_t start = 0, end;
  while ((end = job.pending.find('\n', start)) != std::string::npos) {
    if (auto event = JobEvent::Decode(job.pending.substr(start, end - start)))
      display.Show(*event);
    start = end + 1;
  }
  job.pending.erase(0, start);
}

}  // namespace

bool RunJobs(const std::vector<std::vector<std::string>>& shares, const CommandLine& options,
             const FactoryMaker& makeFactory, ProgressDisplay& display) {
  std::vector<Job> jobs(shares.size());
  std::fflush(nullptr);
  for (std::size_t j = 0; j < shares.size(); ++j) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
      display.Note(std::string("Cannot start a conversion job: ") + std::strerror(errno));
      jobs.resize(j);
      break;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(fds[0]);
      for (std::size_t k = 0; k < j; ++k) ::close(jobs[k].eventFd);
      RunJob(shares[j], options, makeFactory, fds[1]);
    }
    ::close(fds[1]);
    if (pid < 0) {
      ::close(fds[0]);
      display.Note(std::string("Cannot start a conversion job: ") + std::strerror(errno));
      jobs.resize(j);
      break;
    }
    jobs[j] = {pid, fds[0], {}, shares[j].size()};
  }

  for (;;) {
    std::vector<pollfd> fds;
    std::vector<Job*> owners;
    for (Job& job : jobs)
      if (job.eventFd >= 0) {
        fds.push_back({job.eventFd, POLLIN, 0});
        owners.push_back(&job);
      }
    if (fds.empty()) break;
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (std::size_t i = 0; i < fds.size(); ++i)
      if (fds[i].revents) ReadEvents(*owners[i], display);
  }

  bool allGood = jobs.size() == shares.size();
  for (Job& job : jobs) {
    if (job.eventFd >= 0) ::close(job.eventFd);
    int status = 0;
    while (::waitpid(job.pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) continue;
    allGood = false;
    if (WIFSIGNALED(status))
      display.Note("A conversion job stopped unexpectedly (" +
                   std::string(strsignal(WTERMSIG(status))) + "); files of its share after the last one shown were not converted.");
    else if (!WIFEXITED(status) || WEXITSTATUS(status) != 1)
      display.Note("A conversion job failed to run; files of its share after the last one shown were not converted.");
  }
  return allGood && display.Reports() == 0;
}

}  // namespace qm
