#include "imaging/codecs/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/HeldFolders.h"
#include "base/TemporaryName.h"

namespace qm {

namespace {

/// The process umask, read without changing it (umask() would race with
/// other threads creating files). Falls back to 022.
mode_t ProcessUmask() {
  static const mode_t mask = [] {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("Umask:", 0) == 0)
        return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
    return static_cast<mode_t>(022);
  }();
  return mask;
}

}  // namespace

AtomicFile::~AtomicFile() { Abandon(); }

Status AtomicFile::Open(const std::string& path) {
  Abandon();
  path_ = path;
  failure_ = Status();
  if (path.empty() || path.back() == '/')
    return FailWithErrno("the path names no file", EINVAL);

  // A folder the job holds is written through its handle (HeldFolders).
  target_ = HeldFolders::Through(path);
  const std::size_t slash = target_.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  std::string pattern = folder + PartialFilePattern(name);
  int fd = mkstemp(pattern.data());
  if (fd < 0 && errno == ENAMETOOLONG) {
    // A long name plus the suffix may pass the file system's limit even when
    // the destination does not; fall back to a short hidden name.
    pattern = folder + ShortPartialFilePattern();
    fd = mkstemp(pattern.data());
  }
  if (fd < 0) return FailWithErrno("cannot create a file in its folder", errno);
  tempPath_ = pattern;
  // The new file takes the permissions a plain create would give it. File
  // systems without permissions (FAT) refuse, and the file is written anyway.
  (void)fchmod(fd, 0666 & ~ProcessUmask());
  stream_ = fdopen(fd, "wb");
  if (!stream_) {
    const int error = errno;
    (void)close(fd);  // nothing was written through it
    return FailWithErrno("cannot open the new file for writing", error);
  }
  return {};
}

Status AtomicFile::Write(const void* data, std::size_t size) {
  if (!failure_.Ok()) return failure_;
  if (!stream_) return FailWithErrno("the file is not open", EBADF);
  if (size == 0) return {};
  errno = 0;
  if (std::fwrite(data, 1, size, stream_) != size)
    return FailWithErrno("cannot write the file", errno ? errno : EIO);
  return {};
}

Status AtomicFile::Commit() {
  if (!failure_.Ok()) return failure_;
  if (!stream_) return FailWithErrno("the file is not open", EBADF);
  errno = 0;
  const bool flushed = std::fflush(stream_) == 0 && !std::ferror(stream_);
  const int flushError = errno ? errno : EIO;
  std::FILE* stream = stream_;
  stream_ = nullptr;
  const bool closed = std::fclose(stream) == 0;
  const int closeError = errno ? errno : EIO;
  if (!flushed) return FailWithErrno("cannot write the file", flushError);
  if (!closed) return FailWithErrno("cannot finish writing the file", closeError);
  if (std::rename(tempPath_.c_str(), target_.c_str()) != 0)
    return FailWithErrno("cannot put the new file in place", errno);
  tempPath_.clear();
  return {};
}

Status AtomicFile::WriteWhole(const std::string& path, const void* data, std::size_t size) {
  AtomicFile file;
  Status written = file.Open(path);
  if (written.Ok()) written = file.Write(data, size);
  if (written.Ok()) written = file.Commit();
  return written;
}

void AtomicFile::Abandon() {
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!tempPath_.empty()) {
    (void)unlink(tempPath_.c_str());  // the abandoned file; the swept temporaries catch a leftover
    tempPath_.clear();
  }
}

void AtomicFile::Fail(const std::string& what, int systemError) {
  if (failure_.Ok()) failure_ = Status::Failure("Cannot write \"" + path_ + "\": " + what + ".", systemError);
  Abandon();
}

Status AtomicFile::FailWithErrno(const std::string& what, int error) {
  Fail(what + " (" + std::strerror(error) + ")", error);
  return failure_;
}

}  // namespace qm
