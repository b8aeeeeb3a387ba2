#include "engine/worker/SlidePictureFolder.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qm {

namespace {

constexpr const char* kSharedMemory = "/dev/shm";

/// Removes the folders `prefix`PID of workers that no longer run.
void RemoveFoldersOfEndedWorkers(const std::string& prefix) {
  std::error_code code;
  for (const auto& entry : std::filesystem::directory_iterator(kSharedMemory, code)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    char* end = nullptr;
    const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
    if (pid <= 0 || end == nullptr || *end != '\0') continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    std::error_code ignored;
    std::filesystem::remove_all(entry.path(), ignored);
  }
}

}  // namespace

std::string PrepareSlidePictureFolder(const std::string& privateFolder) {
  struct stat info {};
  if (::stat(kSharedMemory, &info) != 0 || !S_ISDIR(info.st_mode) ||
      ::access(kSharedMemory, W_OK | X_OK) != 0) {
    return privateFolder;
  }
  const std::string prefix = "quillmere-worker-" + std::to_string(::getuid()) + "-";
  RemoveFoldersOfEndedWorkers(prefix);
  const std::string folder = std::string(kSharedMemory) + "/" + prefix + std::to_string(::getpid());
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return privateFolder;
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
      info.st_uid != ::getuid()) {
    return privateFolder;
  }
  ::chmod(folder.c_str(), 0700);
  return folder;
}

}  // namespace qm
