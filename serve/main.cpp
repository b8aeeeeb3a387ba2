// quillmere-serve: converts presentations posted over HTTP into slide images,
// through the same batch core and jobs as quillmere-batch.

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
    if (request.decks.size() > static_cast<std::size_t>(options->maxDecks))
      return ServiceAnswer::Error(400, "The request sends " + std::to_string(request.decks.size()) +
                                           " decks; at most " + std::to_string(options->maxDecks) + " are taken.");
    auto ticket = conversions.Submit([&](const CancelToken& cancel) {
      return ConvertUpload(request.decks, *args, request.folder + "/slides.zip", cancel, &warm);
    });
    if (!ticket) {
      ServiceAnswer busy = ServiceAnswer::Error(429, "Every renderer is busy and " + std::to_string(options->queue) +
                                                          " conversions wait already: try again shortly.");
      busy.retryAfterSeconds = 5;
      return busy;
    }
    // Waited for in slices: a client that leaves, or a deadline that passes,
    // stops the conversion at its next slide (and the work, which refers to
    // this request, is waited for).
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (ticket->answer.wait_for(std::chrono::milliseconds(200)) == std::future_status::timeout) {
      const bool late = std::chrono::steady_clock::now() > end;
      if (!late && !request.ClientGone()) continue;
      ticket->cancel->Request();
      ticket->answer.wait();
      return late ? ServiceAnswer::Error(503, "The conversion took longer than the deadline (" +
                                                  std::to_string(options->deadlineSeconds) + " s).")
                  : ServiceAnswer::Error(499, "The client left before its answer.");
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
