#include "base/TemporaryName.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <random>

namespace qm {

namespace {

constexpr const char kMark[] = "quillmere-";
constexpr std::size_t kMarkSize = sizeof kMark - 1;
constexpr std::size_t kMkstempLetters = 6;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlnum(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

/// Reads decimal digits at `*at` up to `end` into a process id; false when
/// there are none, or too many for one.
bool ReadPid(const std::string& text, std::size_t* at, std::size_t end, pid_t* pid) {
  long long value = 0;
  const std::size_t start = *at;
  while (*at < end && IsDigit(text[*at])) {
    value = value * 10 + (text[*at] - '0');
    if (value > INT_MAX) return false;
    ++*at;
  }
  if (*at == start || value <= 0) return false;
  *pid = static_cast<pid_t>(value);
  return true;
}

/// "quillmere-<pid>-XXXXXX" filling text[from, end) exactly.
pid_t PartialTail(const std::string& text, std::size_t from) {
  if (text.compare(from, kMarkSize, kMark) != 0) return 0;
  std::size_t at = from + kMarkSize;
  pid_t pid = 0;
  if (!ReadPid(text, &at, text.size(), &pid)) return 0;
  if (at >= text.size() || text[at] != '-') return 0;
  ++at;
  if (text.size() - at != kMkstempLetters) return 0;
  for (; at < text.size(); ++at) {
    if (!IsAlnum(text[at])) return 0;
  }
  return pid;
}

/// ".quillmere-<pid>-<salt>-<n><extension>".
pid_t ExporterTemporary(const std::string& name) {
  if (name.compare(0, 1 + kMarkSize, std::string(".") + kMark) != 0) return 0;
  std::size_t at = 1 + kMarkSize;
  pid_t pid = 0;
  if (!ReadPid(name, &at, name.size(), &pid)) return 0;
  for (int part = 0; part < 2; ++part) {
    if (at >= name.size() || name[at] != '-') return 0;
    ++at;
    const std::size_t digits = at;
    while (at < name.size() && IsDigit(name[at])) ++at;
    if (at == digits) return 0;
  }
  if (at == name.size()) return pid;
  if (name[at] != '.' || at + 1 == name.size()) return 0;
  for (++at; at < name.size(); ++at) {
    if (!IsAlnum(name[at])) return 0;
  }
  return pid;
}

}  // namespace

std::string TemporaryFileName(const std::string& extension) {
  static std::atomic<unsigned> counter{0};
  // Drawn afresh for every name: in a folder others may write, the name of
  // one temporary must not tell the next (the counter alone would).
  std::random_device random;
  const unsigned long long salt =
      (static_cast<unsigned long long>(random()) << 32 | random()) % 1000000000000000003ULL;
  return std::string(".") + kMark + std::to_string(::getpid()) + "-" + std::to_string(salt) + "-" +
         std::to_string(++counter) + extension;
}

std::string PartialFilePattern(const std::string& name) {
  return "." + name + "." + kMark + std::to_string(::getpid()) + "-XXXXXX";
}

std::string ShortPartialFilePattern() {
  return std::string(".") + kMark + std::to_string(::getpid()) + "-XXXXXX";
}

pid_t TemporaryNameOwner(const std::string& name) {
  if (name.size() < 2 || name[0] != '.' || name.find('/') != std::string::npos) return 0;
  if (const pid_t pid = ExporterTemporary(name)) return pid;
  // ".quillmere-<pid>-XXXXXX", or ".<name>.quillmere-<pid>-XXXXXX": the tail
  // follows the last ".quillmere-" (a name may itself hold one).
  if (const pid_t pid = PartialTail(name, 1)) return pid;
  const std::size_t tail = name.rfind(std::string(".") + kMark);
  if (tail == std::string::npos || tail < 2) return 0;  // ".<name>." needs a name
  return PartialTail(name, tail + 1);
}

int SweepStaleTemporaries(const std::string& folder, pid_t owner) {
  const int dirFd =
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return 0;
  DIR* dir = ::fdopendir(dirFd);
  if (dir == nullptr) {
    (void)::close(dirFd);  // a folder only read from
    return 0;
  }
  int removed = 0;
  const uid_t me = ::geteuid();
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    const pid_t pid = TemporaryNameOwner(name);
    if (pid <= 0 || (owner > 0 && pid != owner)) continue;
    struct stat info {};
    if (::fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(info.st_mode) || info.st_uid != me) continue;
    // Only a process that is certainly gone: EPERM means it runs as someone
    // else, and any other answer is no proof.
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
    if (::unlinkat(dirFd, name.c_str(), 0) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

}  // namespace qm
