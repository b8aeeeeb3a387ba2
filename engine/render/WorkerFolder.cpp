#include "engine/render/WorkerFolder.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "base/Error.h"

namespace qm {

namespace fs = std::filesystem;

WorkerFolder::WorkerFolder(const std::string& root) {
  std::string pattern = root + "/" + kPrefix + "XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) {
    throw Error("The renderer could not create its private folder in " + root + ": " +
                std::strerror(errno));
  }
  path_ = buffer.data();
}

bool WorkerFolder::RecordOwner(pid_t worker) {
  std::ofstream owner(path_ + "/owner");
  owner << worker << '\n';
  owner.close();
  return static_cast<bool>(owner);
}

void WorkerFolder::Remove() {
  if (path_.empty()) return;
  std::error_code ignored;
  fs::remove_all(path_, ignored);
  path_.clear();
}

void WorkerFolder::RemoveStale(const std::string& root) {
  std::error_code code;
  fs::directory_iterator it(root, code);
  if (code) return;
  const auto dayAgo = fs::file_time_type::clock::now() - std::chrono::hours(24);
  for (const fs::directory_entry& entry : it) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(kPrefix, 0) != 0) continue;
    struct stat info {};
    if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid()) {
      continue;
    }
    bool stale = false;
    std::ifstream owner(entry.path() / "owner");
    long pid = 0;
    if (owner >> pid && pid > 0) {
      stale = ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
    } else {
      std::error_code timeCode;
      const auto modified = fs::last_write_time(entry.path(), timeCode);
      stale = !timeCode && modified < dayAgo;
    }
    if (stale) {
      std::error_code ignored;
      fs::remove_all(entry.path(), ignored);
    }
  }
}

}  // namespace qm
