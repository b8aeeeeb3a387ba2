#include "engine/render/RenderWorkerSettings.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace qm {

namespace {

/// A positive number of seconds from the environment variable `name`.
bool SecondsFromEnvironment(const char* name, std::chrono::milliseconds* value) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  const double seconds = std::strtod(text, &end);
  if (errno != 0 || *end != '\0' || !(seconds > 0) || seconds > 86400.0 * 365) return false;
  *value = std::chrono::milliseconds(std::llround(seconds * 1000.0));
  if (value->count() == 0) *value = std::chrono::milliseconds(1);
  return true;
}

}  // namespace

std::string DefaultRenderWorkerPath() {
  char buffer[PATH_MAX];
  const ssize_t size = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (size <= 0) return {};
  std::string self(buffer, static_cast<std::size_t>(size));
  const auto slash = self.rfind('/');
  if (slash == std::string::npos) return {};
  return self.substr(0, slash + 1) + "quillmere-render-worker";
}

RenderWorkerSettings RenderWorkerSettings::FromEnvironment() {
  RenderWorkerSettings settings;
  const char* worker = std::getenv("QUILLMERE_RENDER_WORKER");
  settings.workerPath = worker != nullptr && *worker != '\0' ? worker : DefaultRenderWorkerPath();
  SecondsFromEnvironment("QUILLMERE_OPEN_TIMEOUT", &settings.openTimeout);
  SecondsFromEnvironment("QUILLMERE_SLIDE_TIMEOUT", &settings.slideTimeout);
  const char* temp = std::getenv("TMPDIR");
  if (temp != nullptr && temp[0] == '/') settings.tempRoot = temp;
  return settings;
}

std::string DescribeTimeout(std::chrono::milliseconds timeout) {
  const long long ms = timeout.count();
  char text[64];
  if (ms % 1000 == 0) {
    std::snprintf(text, sizeof text, "%lld s", ms / 1000);
  } else {
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
  }
  return text;
}

}  // namespace qm
