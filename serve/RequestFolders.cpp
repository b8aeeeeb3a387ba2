#include "serve/RequestFolders.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace qm {

namespace {

constexpr const char* kPrefix = "quillmere-serve-";

std::string TemporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

}  // namespace

std::string NewRequestFolder() {
  std::string folder = TemporaryFolder() + "/" + kPrefix + std::to_string(::getpid()) + "-XXXXXX";
  return ::mkdtemp(folder.data()) != nullptr ? folder : std::string();
}

int SweepAbandonedRequestFolders() {
  int removed = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(TemporaryFolder(), error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(kPrefix, 0) != 0 || !entry.is_directory(error) || entry.is_symlink(error)) continue;
    const long pid = std::strtol(name.c_str() + std::char_traits<char>::length(kPrefix), nullptr, 10);
    // Only a folder whose owner is certainly gone: another user's service
    // (EPERM) or a running one is left alone.
    if (pid <= 0 || pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    if (std::filesystem::remove_all(entry.path(), error) > 0) ++removed;
  }
  return removed;
}

}  // namespace qm
