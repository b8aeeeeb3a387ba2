#include "base/FileCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qm {

namespace {

/// `error`'s description as the middle of a sentence: "permission denied".
std::string Reason(int error) {
  std::string text = std::strerror(error);
  if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z' && (text.size() < 2 || text[1] < 'A' || text[1] > 'Z'))
    text[0] = static_cast<char>(text[0] - 'A' + 'a');
  return text;
}

/// Why `to` could not be written, said of its folder: the name of a file
/// being made (often a temporary of ours) tells a person nothing, the folder
/// does.
std::string CannotWrite(const std::string& to, int error) {
  const std::size_t slash = to.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "the current folder"
                             : slash == 0              ? "/"
                                                       : to.substr(0, slash);
  return "cannot write into " + folder + ": " + Reason(error);
}

/// Copies everything from `in` to `out`: copy_file_range, or read and write
/// where the file systems do not support it.
bool CopyDescriptor(int in, int out) {
  for (;;) {
    const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
    if (copied == 0) return true;
    if (copied > 0) continue;
    if (errno == EINTR) continue;
    if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
    break;
  }
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(in, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(out, buffer + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno != EINTR) return false;
      if (put > 0) done += put;
    }
  }
}

}  // namespace

bool CopyFileBytes(const std::string& from, const std::string& to, std::string* why) {
  // Not through a link, and not from a pipe or a device, which could block
  // or never end (a FIFO, /dev/zero): only a regular file's bytes are copied.
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (in < 0) {
    *why = errno == ELOOP ? "cannot read " + from + ": it is a symbolic link"
                          : "cannot read " + from + ": " + Reason(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
    *why = "cannot read " + from + ": it is not a regular file";
    (void)::close(in);  // only read from: closing it loses nothing
    return false;
  }
  // A new file, whatever lay at `to` before: a link planted there (in a
  // folder others may write) is removed, never written through; one planted
  // again meanwhile makes the copy fail instead.
  if (::unlink(to.c_str()) != 0 && errno != ENOENT) {
    *why = CannotWrite(to, errno);
    (void)::close(in);
    return false;
  }
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (out < 0) {
    *why = CannotWrite(to, errno);
    (void)::close(in);  // only read from: closing it loses nothing
    return false;
  }
  bool copied = CopyDescriptor(in, out);
  if (!copied) *why = CannotWrite(to, errno);
  (void)::close(in);  // only read from: closing it loses nothing
  if (::close(out) != 0 && copied) {
    *why = CannotWrite(to, errno);
    copied = false;
  }
  if (!copied) (void)::unlink(to.c_str());  // the partial copy; the failure is reported
  return copied;
}

bool MoveFileBytes(const std::string& from, const std::string& to, std::string* why) {
  if (::rename(from.c_str(), to.c_str()) == 0) {
    // What was moved is what lies at `to` now; anything but a regular file
    // (a link to another file, to a device, a pipe) is not handed on.
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return true;
    (void)::unlink(to.c_str());
    *why = "cannot read " + from + ": it is not a regular file";
    return false;
  }
  if (errno != EXDEV) {
    const int error = errno;
    *why = ::access(from.c_str(), F_OK) != 0 ? "cannot read " + from + ": " + Reason(error)
                                              : CannotWrite(to, error);
    return false;
  }
  if (!CopyFileBytes(from, to, why)) return false;
  // The copy is whole; a source that stays behind is in a folder its owner
  // removes, so the move has still happened for the caller.
  (void)::unlink(from.c_str());
  return true;
}

}  // namespace qm
