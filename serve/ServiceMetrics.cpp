#include "serve/ServiceMetrics.h"

#include <cstdio>

namespace qm {

namespace {
std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}
}  // namespace

void ServiceMetrics::Histogram::Observe(double seconds) {
  for (std::size_t i = 0; i < kBuckets.size(); ++i)
    if (seconds <= kBuckets[i]) ++counts[i];
  ++count;
  sum += seconds;
}

std::string ServiceMetrics::Histogram::Text(const std::string& name, const std::string& help) const {
  std::string text = "# HELP " + name + " " + help + "\n# TYPE " + name + " histogram\n";
  for (std::size_t i = 0; i < kBuckets.size(); ++i)
    text += name + "_bucket{le=\"" + Number(kBuckets[i]) + "\"} " + std::to_string(counts[i]) + "\n";
  text += name + "_bucket{le=\"+Inf\"} " + std::to_string(count) + "\n";
  text += name + "_sum " + Number(sum) + "\n" + name + "_count " + std::to_string(count) + "\n";
  return text;
}

void ServiceMetrics::Answered(const std::string& route, int status, std::uint64_t bytesSent) {
  const std::lock_guard<std::mutex> lock(mutex_);
  ++requests_[{route, status}];
  bytesSent_ += bytesSent;
}

void ServiceMetrics::Converted(double waitSeconds, double convertSeconds, std::uint64_t images) {
  const std::lock_guard<std::mutex> lock(mutex_);
  wait_.Observe(waitSeconds);
  conversion_.Observe(convertSeconds);
  images_ += images;
}

std::string ServiceMetrics::Text(std::size_t queueDepth, std::size_t conversionsRunning,
                                 std::size_t renderersWarm, std::size_t renderersStarted,
                                 std::size_t uploadsInProgress) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::string text =
      "# HELP quillmere_requests_total Requests answered, by route and status.\n"
      "# TYPE quillmere_requests_total counter\n";
  for (const auto& [key, count] : requests_)
    text += "quillmere_requests_total{route=\"" + key.first + "\",status=\"" + std::to_string(key.second) +
            "\"} " + std::to_string(count) + "\n";
  text += "# HELP quillmere_sent_bytes_total Bytes of answers sent.\n# TYPE quillmere_sent_bytes_total counter\n"
          "quillmere_sent_bytes_total " + std::to_string(bytesSent_) + "\n";
  text += "# HELP quillmere_images_total Slide images written.\n# TYPE quillmere_images_total counter\n"
          "quillmere_images_total " + std::to_string(images_) + "\n";
  text += wait_.Text("quillmere_queue_wait_seconds", "Time conversions waited for a renderer.");
  text += conversion_.Text("quillmere_conversion_seconds", "Time conversions took, once started.");
  text += "# HELP quillmere_renderers_started_total Conversions that found no warm renderer and started one.\n"
          "# TYPE quillmere_renderers_started_total counter\nquillmere_renderers_started_total " +
          std::to_string(renderersStarted) + "\n";
  const auto gauge = [&](const char* name, const char* help, std::size_t value) {
    text += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " gauge\n" + name + " " +
            std::to_string(value) + "\n";
  };
  gauge("quillmere_queue_depth", "Conversions waiting for a renderer.", queueDepth);
  gauge("quillmere_conversions_running", "Conversions under way.", conversionsRunning);
  gauge("quillmere_renderers_warm", "Conversion jobs waiting warm for the next request.", renderersWarm);
  gauge("quillmere_uploads_in_progress", "Request bodies being received.", uploadsInProgress);
  return text;
}

}  // namespace qm
