#pragma once
// What quillmere-serve has done, in the Prometheus text format.

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace qm {

/// Counters and histograms of the service, thread-safe. The gauges that
/// are read at the moment (queue depth, renderers warm, uploads under way)
/// are given to Text().
class ServiceMetrics {
 public:
  /// A request answered: its route ("/convert", or "other" for any path
  /// the service has no route for), status and bytes sent.
  void Answered(const std::string& route, int status, std::uint64_t bytesSent);
  /// A conversion waited `waitSeconds` in the queue and took `convertSeconds`,
  /// writing `images` images.
  void Converted(double waitSeconds, double convertSeconds, std::uint64_t images);

  /// The exposition: every counter and histogram, then the gauges given.
  std::string Text(std::size_t queueDepth, std::size_t conversionsRunning, std::size_t renderersWarm,
                   std::size_t renderersStarted, std::size_t uploadsInProgress) const;

 private:
  /// Upper bounds of the time histograms' buckets, in seconds.
  static constexpr std::array<double, 10> kBuckets = {0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10, 30, 120};
  struct Histogram {
    std::array<std::uint64_t, kBuckets.size()> counts{};
    std::uint64_t count = 0;
    double sum = 0;
    void Observe(double seconds);
    std::string Text(const std::string& name, const std::string& help) const;
  };

  mutable std::mutex mutex_;
  std::map<std::pair<std::string, int>, std::uint64_t> requests_;
  std::uint64_t bytesSent_ = 0;
  std::uint64_t images_ = 0;
  Histogram wait_;
  Histogram conversion_;
};

}  // namespace qm
