#include "engine/render/RenderWorkerSettings.h"

#include <sys/stat.h>

#include "base/OfficeLocation.h"
#include "base/ProgramFolder.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

/// A positive whole number of MiB from the environment variable `name`.
bool MegabytesFromEnvironment(const char* name, std::uint64_t* bytes) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long megabytes = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0' || text[0] == '-' || megabytes == 0 ||
      megabytes > (1ull << 40)) {
    return false;
  }
  *bytes = static_cast<std::uint64_t>(megabytes) << 20;
  return true;
}

/// A line of /proc/meminfo ("MemTotal:  24576000 kB") in bytes; 0 when absent.
std::uint64_t MemInfoBytes(const std::string& key) {
  std::ifstream meminfo("/proc/meminfo");
  std::string name;
  std::uint64_t kilobytes = 0;
  std::string unit;
  while (meminfo >> name >> kilobytes) {
    std::getline(meminfo, unit);
    if (name == key + ":") return kilobytes * 1024;
  }
  return 0;
}

constexpr std::uint64_t kGiB = 1ull << 30;

}  // namespace

std::uint64_t DefaultWorkerMemoryCeiling(int jobs) {
  const std::uint64_t share = MemInfoBytes("MemTotal") / 4 * 3 / static_cast<std::uint64_t>(
                                                                     jobs > 0 ? jobs : 1);
  return share > kGiB ? share : kGiB;
}

int MaxJobsForMemory() {
  const std::uint64_t fit = MemInfoBytes("MemAvailable") / 4 * 3 / kGiB;
  return fit < 1 ? 1 : fit > 4096 ? 4096 : static_cast<int>(fit);
}

std::string DefaultRenderWorkerPath() {
  const std::string folder = HelperFolder();
  return folder.empty() ? folder : folder + "quillmere-render-worker";
}

RenderWorkerSettings RenderWorkerSettings::FromEnvironment(int jobs) {
  RenderWorkerSettings settings;
  settings.memoryCeilingBytes = DefaultWorkerMemoryCeiling(jobs);
  MegabytesFromEnvironment("QUILLMERE_WORKER_MEMORY_MB", &settings.memoryCeilingBytes);
  const char* worker = std::getenv("QUILLMERE_RENDER_WORKER");
  settings.workerPath = worker != nullptr && *worker != '\0' ? worker : DefaultRenderWorkerPath();
  SecondsFromEnvironment("QUILLMERE_OPEN_TIMEOUT", &settings.openTimeout);
  SecondsFromEnvironment("QUILLMERE_SLIDE_TIMEOUT", &settings.slideTimeout);
  const char* temp = std::getenv("TMPDIR");
  if (temp != nullptr && temp[0] == '/') settings.tempRoot = temp;
  return settings;
}

std::chrono::milliseconds OpenTimeoutFor(const std::string& path, std::chrono::milliseconds base) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || info.st_size <= 0) return base;
  return base + std::chrono::seconds(10) * (static_cast<std::uint64_t>(info.st_size) >> 20);
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

std::string RenderWorkerSettings::MissingPart() const {
  if (workerPath.empty() || ::access(workerPath.c_str(), X_OK) != 0) {
    return "The renderer is missing: " +
           (workerPath.empty() ? std::string("quillmere-render-worker") : workerPath) +
           " does not exist or cannot be run";
  }
  const std::string merged = OfficeProgramFolder() + "/libmergedlo.so";
  if (::access(merged.c_str(), R_OK) != 0) {
    return "LibreOffice Impress is not installed: " + merged +
           " is missing (Debian package libreoffice-impress-nogui)";
  }
  return {};
}

}  // namespace qm
