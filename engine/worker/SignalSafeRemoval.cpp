#include "engine/worker/SignalSafeRemoval.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>

namespace qm {

namespace {

/// The record getdents64 fills in (the C library declares no such type).
struct LinuxDirent64 {
  std::uint64_t d_ino;
  std::int64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[];
};

constexpr int kMaxDepth = 32;
constexpr int kMaxPasses = 10000;
constexpr int kMaxAttempts = 5;
alignas(8) char gEntries[8192];

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

/// Empties the open folder `dirFd`. After descending into a subfolder the
/// shared buffer holds the child's entries and the folder has changed, so
/// reading starts over; a bounded number of passes keeps a folder that cannot
/// be emptied (no permission) from looping forever.
void EmptyFolder(int dirFd, int depth) {
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    ::lseek(dirFd, 0, SEEK_SET);
    bool descended = false;
    while (!descended) {
      const long got = ::syscall(SYS_getdents64, dirFd, gEntries, sizeof gEntries);
      if (got <= 0) break;
      for (long offset = 0; offset < got;) {
        auto* entry = reinterpret_cast<LinuxDirent64*>(gEntries + offset);
        offset += entry->d_reclen;
        if (IsDotOrDotDot(entry->d_name)) continue;
        if (::unlinkat(dirFd, entry->d_name, 0) == 0) continue;
        if (errno != EISDIR || depth >= kMaxDepth) continue;
        // The recursion reuses the buffer, so keep the name on the stack.
        char name[NAME_MAX + 1];
        std::size_t length = 0;
        while (entry->d_name[length] != '\0' && length < NAME_MAX) {
          name[length] = entry->d_name[length];
          ++length;
        }
        name[length] = '\0';
        const int child = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child < 0) continue;
        EmptyFolder(child, depth + 1);
        (void)::close(child);  // a folder only read from
        (void)::unlinkat(dirFd, name, AT_REMOVEDIR);  // the final rmdir tells
        descended = true;
        break;
      }
    }
    if (!descended) return;
  }
}

}  // namespace

bool RemoveTreeSignalSafe(const char* path) {
  // Other threads of the process (LibreOffice's) may still be writing into
  // the tree while it is removed: a folder that fills again is emptied again.
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    const int dirFd = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirFd < 0) return errno == ENOENT;
    EmptyFolder(dirFd, 0);
    (void)::close(dirFd);  // a folder only read from
    if (::rmdir(path) == 0 || errno == ENOENT) return true;
    if (errno != ENOTEMPTY && errno != EEXIST) return false;
  }
  return false;
}

}  // namespace qm
