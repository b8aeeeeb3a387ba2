#include "base/HeldFolders.h"

#include <fcntl.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <utility>

namespace qm {

namespace {

constexpr std::size_t kMaxHeld = 64;

struct Held {
  std::mutex lock;
  std::map<std::string, int> fdOf;  ///< normal form of a folder to its handle
  std::deque<std::string> order;    ///< oldest first
};

Held& State() {
  static Held held;
  return held;
}

/// The normal form of a folder, without a trailing "/"; "." for the current one.
std::string NormalFolder(const std::string& folder) {
  std::string normal = std::filesystem::path(folder.empty() ? "." : folder).lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal.empty() ? "." : normal;
}

}  // namespace

void HeldFolders::Hold(const std::string& folder) {
  const std::string key = NormalFolder(folder);
  Held& held = State();
  const std::lock_guard<std::mutex> guard(held.lock);
  if (held.fdOf.count(key) != 0) return;
  const int fd = ::open(key.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;  // what is written there fails, or goes, by name
  if (held.order.size() == kMaxHeld) {
    (void)::close(held.fdOf[held.order.front()]);  // an O_PATH handle: nothing to lose
    held.fdOf.erase(held.order.front());
    held.order.pop_front();
  }
  held.fdOf.emplace(key, fd);
  held.order.push_back(key);
}

std::string HeldFolders::Through(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  Held& held = State();
  const std::lock_guard<std::mutex> guard(held.lock);
  if (held.fdOf.empty()) return path;
  const auto found = held.fdOf.find(NormalFolder(folder));
  if (found == held.fdOf.end()) return path;
  return "/proc/self/fd/" + std::to_string(found->second) + "/" + name;
}

void HeldFolders::ReleaseAll() {
  Held& held = State();
  const std::lock_guard<std::mutex> guard(held.lock);
  // Read-only folder handles: closing one loses nothing whatever it returns.
  for (const auto& [key, fd] : held.fdOf) (void)::close(fd);
  held.fdOf.clear();
  held.order.clear();
}

}  // namespace qm
