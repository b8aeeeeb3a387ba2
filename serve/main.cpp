// quillmere-serve: converts presentations posted over HTTP into slide images,
// through the same batch core and jobs as quillmere-batch.

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/adapter/PresentationChecks.h"
#include "engine/batch/JobRunner.h"
#include "serve/HttpServer.h"
#include "serve/RequestFolders.h"
#include "serve/ServiceRoutes.h"
#include "serve/ServeOptions.h"

int main(int argc, char** argv) {
  using namespace qm;
  std::string error;
  const auto options = ParseServeOptions(std::vector<std::string>(argv + 1, argv + argc), &error);
  if (!options) {
    std::fprintf(stderr, "quillmere-serve: %s\n", error.c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(ServeUsageText().c_str(), stdout);
    return 0;
  }
  if (options->version) {
    std::printf("quillmere-serve %s\n", QM_VERSION);
    return 0;
  }
  if (const auto missing = MissingRendererParts(); !missing.empty()) {
    for (const std::string& sentence : missing) std::fprintf(stderr, "quillmere-serve: %s\n", sentence.c_str());
    return 1;
  }
  // The stop signals are waited for below, by this thread alone: every
  // thread started from here on inherits them blocked.
  sigset_t stops;
  sigemptyset(&stops);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  ServiceRoutes routes(*options, options->jobs > 0 ? options->jobs : DefaultJobCount());
  HttpServer server(
      *options, [&](const HttpRequest& request) { return routes.Answer(request); },
      [&](const HttpRequest& request, int status, std::uint64_t sent) { routes.Answered(request, status, sent); },
      routes.uploadsInProgress);
  // Uploads of a service killed outright are its successor's to remove.
  if (const int swept = SweepAbandonedRequestFolders(); swept > 0 && !options->quiet)
    std::fprintf(stderr, "quillmere-serve: removed %d request folder(s) left by a service that was killed\n", swept);
  if (const Status started = server.Start(); !started.Ok()) {
    std::fprintf(stderr, "quillmere-serve: %s\n", started.Message().c_str());
    return 1;
  }
  std::fprintf(stderr, "quillmere-serve: listening on http://%s:%d\n", options->host.c_str(), server.Port());
  int signal = 0;
  sigwait(&stops, &signal);
  server.Quiesce();
  const auto drained = std::chrono::steady_clock::now() + std::chrono::seconds(options->drainSeconds);
  routes.Drain(std::chrono::seconds(options->drainSeconds));
  // The answers of the conversions that finished still go out.
  server.Stop(std::chrono::duration_cast<std::chrono::milliseconds>(
      std::max(drained - std::chrono::steady_clock::now(), std::chrono::steady_clock::duration(std::chrono::seconds(2)))));
  if (!options->quiet) std::fprintf(stderr, "quillmere-serve: stopped (signal %d)\n", signal);
  return 0;
}
