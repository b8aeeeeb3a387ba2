#include "serve/ServiceRoutes.h"

#include <cstdlib>
#include <filesystem>
#include <future>

#include "base/ProgramFolder.h"
#include "serve/QueryOptions.h"
#include "serve/RequestFolders.h"
#include "serve/UploadConversion.h"

namespace qm {

namespace {

using Clock = std::chrono::steady_clock;

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

/// How recent a drawn image must be for /ready to answer without drawing.
constexpr long long kFreshMs = 60'000;

/// The deck /ready draws: the first sample deck shipped with the program.
std::string ProbeDeck() {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(DataFolder() + "Samples", error))
    if (entry.path().extension() == ".pptx") return entry.path().string();
  return "";
}

ServiceAnswer Json(const std::string& body) {
  ServiceAnswer answer;
  answer.body = body;
  return answer;
}

}  // namespace

ServiceRoutes::ServiceRoutes(const ServeOptions& options, int jobs)
    : options_(options),
      warm_(static_cast<std::size_t>(jobs)),
      conversions_(static_cast<std::size_t>(jobs), static_cast<std::size_t>(options.queue)) {}

ServiceAnswer ServiceRoutes::Answer(const HttpRequest& request) {
  const bool get = request.method == "GET" || request.method == "HEAD";
  if (request.path == "/convert")
    return request.method == "POST" ? Convert(request)
                                    : ServiceAnswer::Error(405, "/convert takes POST, not " + request.method + ".");
  if (request.path != "/health" && request.path != "/ready" && request.path != "/metrics")
    return ServiceAnswer::Error(404, "There is no route " + request.path + ".");
  if (!get) return ServiceAnswer::Error(405, request.path + " takes GET, not " + request.method + ".");
  if (request.path == "/health") return Json("{\"status\": \"ok\"}\n");
  if (request.path == "/ready") return Ready();
  ServiceAnswer text;
  text.contentType = "text/plain; version=0.0.4";
  text.body = metrics_.Text(conversions_.Waiting(), conversions_.Running(), warm_.Parked(), warm_.Misses(),
                            uploadsInProgress.load());
  return text;
}

void ServiceRoutes::Answered(const HttpRequest& request, int status, std::uint64_t bytesSent) {
  const bool known = request.path == "/convert" || request.path == "/health" || request.path == "/ready" ||
                     request.path == "/metrics";
  metrics_.Answered(known ? request.path : "other", status, bytesSent);
}

ServiceAnswer ServiceRoutes::Convert(const HttpRequest& request) {
  std::string why;
  const auto args = OptionArgumentsOfQuery(request.query, &why);
  if (!args) return ServiceAnswer::Error(400, why);
  if (request.decks.size() > static_cast<std::size_t>(options_.maxDecks))
    return ServiceAnswer::Error(400, "The request sends " + std::to_string(request.decks.size()) +
                                         " decks; at most " + std::to_string(options_.maxDecks) + " are taken.");
  if (conversions_.Stopping()) return ServiceAnswer::Error(503, "The service is stopping.");
  const auto submitted = Clock::now();
  auto ticket = conversions_.Submit([&, submitted](const CancelToken& cancel) {
    const auto started = Clock::now();
    ServiceAnswer answer = ConvertUpload(request.decks, *args, request.folder + "/slides.zip", cancel, &warm_);
    const std::chrono::duration<double> waited = started - submitted;
    const std::chrono::duration<double> took = Clock::now() - started;
    metrics_.Converted(waited.count(), took.count(), answer.images);
    if (answer.images > 0) lastGoodMs_ = NowMs();
    return answer;
  });
  if (!ticket) {
    ServiceAnswer busy = ServiceAnswer::Error(429, "Every renderer is busy and " + std::to_string(options_.queue) +
                                                       " conversions wait already: try again shortly.");
    busy.retryAfterSeconds = 5;
    return busy;
  }
  // Waited for in slices: a client that leaves, or a deadline that passes,
  // stops the conversion at its next slide (and the work, which refers to
  // this request, is waited for).
  const auto end = submitted + std::chrono::seconds(options_.deadlineSeconds);
  while (ticket->answer.wait_for(std::chrono::milliseconds(200)) == std::future_status::timeout) {
    const bool late = Clock::now() > end;
    if (!late && !request.ClientGone()) continue;
    ticket->cancel->Request();
    ticket->answer.wait();
    return late ? ServiceAnswer::Error(503, "The conversion took longer than the deadline (" +
                                                std::to_string(options_.deadlineSeconds) + " s).")
                : ServiceAnswer::Error(499, "The client left before its answer.");
  }
  return ticket->answer.get();
}

ServiceAnswer ServiceRoutes::Ready() {
  if (lastGoodMs_ != 0 && NowMs() - lastGoodMs_ < kFreshMs) return Json("{\"ready\": true}\n");
  // Nothing drawn lately: a sample deck's first slide is drawn now.
  const std::string deck = ProbeDeck();
  if (deck.empty()) return ServiceAnswer::Error(503, "No sample deck to draw: the installation is incomplete.");
  auto ticket = conversions_.Submit([&](const CancelToken& cancel) {
    // Written into a folder of its own, removed after.
    const std::string place = NewRequestFolder();
    if (place.empty()) return ServiceAnswer::Error(500, "No folder to draw in.");
    const std::string copy = place + "/" + std::filesystem::path(deck).filename().string();
    std::error_code error;
    std::filesystem::copy_file(deck, copy, error);
    ServiceAnswer answer = error ? ServiceAnswer::Error(500, "The sample deck cannot be copied.")
                                 : ConvertUpload({copy}, {"--mode=first"}, place + "/slides.zip", cancel, &warm_);
    std::filesystem::remove_all(place, error);
    if (answer.images > 0) lastGoodMs_ = NowMs();
    return answer;
  });
  if (!ticket) return ServiceAnswer::Error(503, "Every renderer is busy: not ready for more.");
  if (ticket->answer.wait_for(std::chrono::seconds(60)) == std::future_status::timeout) {
    ticket->cancel->Request();
    ticket->answer.wait();
    return ServiceAnswer::Error(503, "The renderer did not draw a sample slide within 60 s.");
  }
  const ServiceAnswer drawn = ticket->answer.get();
  return drawn.images > 0 ? Json("{\"ready\": true}\n")
                          : ServiceAnswer::Error(503, "The renderer cannot draw a sample slide.");
}

}  // namespace qm
