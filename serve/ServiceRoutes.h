#pragma once
// What quillmere-serve answers on each route.

#include <atomic>
#include <chrono>
#include <string>

#include "engine/batch/JobPool.h"
#include "serve/ConversionQueue.h"
#include "serve/HttpRequest.h"
#include "serve/ServeOptions.h"
#include "serve/ServiceAnswer.h"
#include "serve/ServiceMetrics.h"

namespace qm {

/// The service's routes over its conversions: POST /convert, GET /health,
/// GET /ready, GET /metrics. Thread-safe: each connection's thread asks.
class ServiceRoutes {
 public:
  /// `jobs` conversions at once, each on a job kept warm between requests.
  ServiceRoutes(const ServeOptions& options, int jobs);

  /// The answer to `request` (its body, if any, already in its folder).
  ServiceAnswer Answer(const HttpRequest& request);
  /// Counts an answered request for /metrics.
  void Answered(const HttpRequest& request, int status, std::uint64_t bytesSent);
  /// Refuses new conversions (503), lets those under way finish for up to
  /// `grace`, then stops them at their next slide.
  void Drain(std::chrono::seconds grace) { conversions_.Drain(grace); }

  /// Uploads being received now, as the server counts them (for /metrics).
  std::atomic<std::size_t> uploadsInProgress{0};

 private:
  ServiceAnswer Convert(const HttpRequest& request);
  ServiceAnswer Ready();

  const ServeOptions& options_;
  JobPool warm_;
  ConversionQueue conversions_;
  ServiceMetrics metrics_;
  /// When a conversion last wrote an image (steady clock, in ms); 0 never.
  std::atomic<long long> lastGoodMs_{0};
};

}  // namespace qm
