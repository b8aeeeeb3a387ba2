#include "tests/support/LeakCheck.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qm::test {

namespace fs = std::filesystem;

namespace {

/// Names in `folder`, or none when it cannot be listed.
std::set<std::string> NamesIn(const std::string& folder) {
  std::set<std::string> names;
  std::error_code code;
  for (const auto& entry : fs::directory_iterator(folder, code)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

/// What descriptor `fd` points to, for the report.
std::string TargetOf(int fd) {
  std::error_code code;
  const fs::path target = fs::read_symlink("/proc/self/fd/" + std::to_string(fd), code);
  return code ? std::string("?") : target.string();
}

}  // namespace

std::set<int> OpenDescriptors() {
  std::set<int> fds;
  DIR* dir = ::opendir("/proc/self/fd");
  if (dir == nullptr) return fds;
  const int own = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    const int fd = std::atoi(entry->d_name);
    if (fd != own) fds.insert(fd);
  }
  ::closedir(dir);
  return fds;
}

std::set<pid_t> ChildProcesses(std::set<pid_t>* zombies) {
  std::set<pid_t> children;
  const pid_t self = ::getpid();
  std::error_code code;
  for (const auto& entry : fs::directory_iterator("/proc", code)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;  // ended while we looked
    // "pid (comm) state ppid ...": comm may hold spaces and parentheses.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    char state = 0;
    pid_t parent = 0;
    if (!(rest >> state >> parent) || parent != self) continue;
    const auto pid = static_cast<pid_t>(std::stol(name));
    children.insert(pid);
    if (state == 'Z' && zombies != nullptr) zombies->insert(pid);
  }
  return children;
}

LeakCheck::LeakCheck() : descriptors_(OpenDescriptors()), children_(ChildProcesses()) {}

void LeakCheck::WatchFolder(const std::string& folder, bool anyEntry) {
  watched_.push_back({folder, anyEntry, NamesIn(folder)});
}

std::vector<std::string> LeakCheck::Leaks() const {
  std::vector<std::string> leaks;
  for (const int fd : OpenDescriptors()) {
    if (descriptors_.count(fd) == 0) {
      leaks.push_back("descriptor " + std::to_string(fd) + " left open (" + TargetOf(fd) + ")");
    }
  }
  std::set<pid_t> zombies;
  for (const pid_t pid : ChildProcesses(&zombies)) {
    if (allowedChildren_.count(pid) != 0) continue;
    if (zombies.count(pid) != 0) {
      leaks.push_back("child process " + std::to_string(pid) + " ended but was never reaped");
    } else if (children_.count(pid) == 0) {
      leaks.push_back("child process " + std::to_string(pid) + " still running");
    }
  }
  for (const Watched& watched : watched_) {
    for (const std::string& name : NamesIn(watched.folder)) {
      if (watched.before.count(name) != 0) continue;
      if (watched.anyEntry || name[0] == '.') {
        leaks.push_back("stray file " + (fs::path(watched.folder) / name).string());
      }
    }
  }
  return leaks;
}

void LeakCheck::ExpectNoLeaks() const {
  for (const std::string& leak : Leaks()) ADD_FAILURE() << leak;
}

}  // namespace qm::test
