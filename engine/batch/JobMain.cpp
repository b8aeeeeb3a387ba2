// quillmere-job: one conversion job of a Quillmere run.
//
//   quillmere-job --fd N --parent PID --jobs J [--allow-links]
//
// Started by the program (JobRunner), never by a person. It converts the
// files it is handed on descriptor N, a connected socket, with one warm
// render worker, and ends with its parent. J, the number of jobs of the run,
// sets the worker's default memory ceiling: the jobs share the machine.
// --allow-links lets the worker fetch what decks link to (it runs confined
// otherwise).

#include <malloc.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/Error.h"
#include "engine/adapter/LibreOfficeApplicationFactory.h"
#include "engine/batch/RunJob.h"
#include "engine/render/RenderWorkerPool.h"
#include "engine/render/RenderWorkerSettings.h"

int main(int argc, char** argv) {
  int fd = -1;
  long parent = 0;
  int jobs = 1;
  bool allowLinks = false;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--allow-links") allowLinks = true;
    else if (i + 1 >= argc) break;
    else if (name == "--fd") fd = std::atoi(argv[++i]);
    else if (name == "--parent") parent = std::atol(argv[++i]);
    else if (name == "--jobs") jobs = std::max(1, std::atoi(argv[++i]));
  }
  if (fd < 0 || parent <= 0) {
    std::fprintf(stderr, "quillmere-job is started by Quillmere itself:\n"
                         "  quillmere-job --fd N --parent PID\n");
    return 2;
  }
  // Slides pass through several picture-sized buffers; keeping freed ones in
  // the heap saves mapping them afresh for each slide. (Process-wide, so it
  // is set here, by the program, not by the library it runs.)
  ::mallopt(M_MMAP_THRESHOLD, 256 << 20);
  ::mallopt(M_TRIM_THRESHOLD, 512 << 20);
  // End with the program, also when it is killed; it may already be gone.
  // Without it a job may outlive a program killed outright; a program that
  // ends normally still stops its jobs itself.
  (void)::prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (::getppid() != static_cast<pid_t>(parent)) return 1;
  const int status = qm::RunJob(fd, [jobs, allowLinks] {
    qm::RenderWorkerSettings settings = qm::RenderWorkerSettings::FromEnvironment(jobs);
    settings.allowLinks = allowLinks;
    auto pool = std::make_shared<qm::RenderWorkerPool>(settings);
    // A cancel ends the renderer's wait at once (within one wait slice):
    // the worker is killed and what it was writing removed.
    pool->SetWaitHook([] {
      if (qm::JobCancelToken().Requested()) throw qm::Error("the run was cancelled");
    });
    return std::make_unique<qm::LibreOfficeApplicationFactory>(pool);
  });
  std::fflush(nullptr);
  ::_exit(status);
}
