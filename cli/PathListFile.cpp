#include "cli/PathListFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/CancelToken.h"

namespace qm {

namespace {

/// How much of an over-long entry its report shows.
constexpr std::size_t kShownBytes = 120;

/// One entry as it is read: its bytes up to the bound, and what disqualifies it.
struct Entry {
  std::string bytes;
  std::size_t length = 0;  ///< all its bytes, also those not kept
  bool holdsNul = false;

  void Add(const char* data, std::size_t count) {
    if (length < kMaxListedPathBytes + 1) {
      bytes.append(data, std::min(count, kMaxListedPathBytes + 1 - length));
    }
    length += count;
  }
};

/// Hands `entry` on as a path or a skipped entry, and empties it.
void Finish(Entry& entry, std::size_t number, std::vector<std::string>* paths,
            SkippedPaths* skipped) {
  if (entry.length == 0) return;
  if (entry.length > kMaxListedPathBytes) {
    skipped->push_back({entry.bytes.substr(0, kShownBytes) + "...",
                        "entry " + std::to_string(number) + " of the list is longer than " +
                            std::to_string(kMaxListedPathBytes) + " bytes, longer than any path this system opens"});
  } else if (entry.holdsNul) {
    std::string shown = entry.bytes;
    for (char& c : shown) if (c == '\0') c = '?';
    skipped->push_back({shown, "line " + std::to_string(number) +
                                   " of the list holds a NUL character, which no path can (a list "
                                   "separated by NULs is read with -0)"});
  } else {
    paths->push_back(std::move(entry.bytes));
  }
  entry = Entry();
}

}  // namespace

std::optional<std::vector<std::string>> ReadPathList(const std::string& source, bool nulSeparated,
                                                     const CancelToken& stop, SkippedPaths* skipped,
                                                     std::string* error) {
  const bool standardInput = source == "-";
  const std::string named = standardInput ? std::string("on standard input") : source;
  const int fd = standardInput ? STDIN_FILENO : ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = "The list of files " + source + " cannot be read: " + std::strerror(errno) + ".";
    return std::nullopt;
  }
  const char separator = nulSeparated ? '\0' : '\n';
  std::vector<std::string> paths;
  Entry entry;
  std::size_t number = 1;
  char buffer[64 * 1024];
  int readError = 0;
  while (!stop.Requested()) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;  // a stop signal is seen at the loop's test
      readError = errno;
      break;
    }
    const char* at = buffer;
    const char* const end = buffer + got;
    while (at < end) {
      const char* const next = static_cast<const char*>(std::memchr(at, separator, static_cast<std::size_t>(end - at)));
      const char* const stopAt = next != nullptr ? next : end;
      if (!nulSeparated && std::memchr(at, '\0', static_cast<std::size_t>(stopAt - at)) != nullptr)
        entry.holdsNul = true;
      entry.Add(at, static_cast<std::size_t>(stopAt - at));
      if (next == nullptr) break;
      Finish(entry, number++, &paths, skipped);
      at = next + 1;
    }
  }
  if (!standardInput) ::close(fd);
  if (stop.Requested()) {
    *error = "Stopped while reading the list of files " + named + ".";
    return std::nullopt;
  }
  if (readError != 0) {
    *error = "The list of files " + named + " could not be read to its end: " +
             std::strerror(readError) + ".";
    return std::nullopt;
  }
  Finish(entry, number, &paths, skipped);
  return paths;
}

}  // namespace qm
