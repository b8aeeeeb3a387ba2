// quillmere-serve: converts presentations posted over HTTP into slide images,
// through the same batch core and jobs as quillmere-batch.

#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "engine/adapter/PresentationChecks.h"
#include "engine/batch/JobPool.h"
#include "engine/batch/JobRunner.h"
#include "serve/ConversionQueue.h"
#include "serve/HttpServer.h"
#include "serve/QueryOptions.h"
#include "serve/ServeOptions.h"
#include "serve/UploadConversion.h"

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

  const int jobs = options->jobs > 0 ? options->jobs : DefaultJobCount();
  // Each conversion takes one job, warm from the one before.
  JobPool warm(static_cast<std::size_t>(jobs));
  ConversionQueue conversions(static_cast<std::size_t>(jobs), static_cast<std::size_t>(options->queue));
  const auto deadline = std::chrono::seconds(options->deadlineSeconds);
  HttpServer server(*options, [&](const HttpRequest& request) {
    std::string why;
    const auto args = OptionArgumentsOfQuery(request.query, &why);
    if (!args) return ServiceAnswer::Error(400, why);
    const std::string images = request.folder + "/images";
    if (::mkdir(images.c_str(), 0700) != 0) return ServiceAnswer::Error(500, "No folder for the images.");
    auto ticket = conversions.Submit([&](const CancelToken& cancel) {
      return ConvertUpload(request.bodyPath, *args, images, request.folder + "/images.zip", cancel, &warm);
    });
    if (!ticket) {
      ServiceAnswer busy = ServiceAnswer::Error(429, "Every renderer is busy and " + std::to_string(options->queue) +
                                                          " conversions wait already: try again shortly.");
      busy.retryAfterSeconds = 5;
      return busy;
    }
    if (ticket->answer.wait_for(deadline) == std::future_status::timeout) {
      // Stopped at its next slide; the work refers to this request, so it is waited for.
      ticket->cancel->Request();
      ticket->answer.wait();
      return ServiceAnswer::Error(503, "The conversion took longer than the deadline (" +
                                           std::to_string(options->deadlineSeconds) + " s).");
    }
    return ticket->answer.get();
  });
  if (const Status started = server.Start(); !started.Ok()) {
    std::fprintf(stderr, "quillmere-serve: %s\n", started.Message().c_str());
    return 1;
  }
  std::fprintf(stderr, "quillmere-serve: listening on http://%s:%d\n", options->host.c_str(), server.Port());
  int signal = 0;
  sigwait(&stops, &signal);
  conversions.Stop();
  server.Stop();
  if (!options->quiet) std::fprintf(stderr, "quillmere-serve: stopped (signal %d)\n", signal);
  return 0;
}
