#include "filelist/FolderReader.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

namespace qm {

FolderReader::FolderReader(const std::string& folder)
    : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  if (fd_ < 0) error_ = errno;
}

FolderReader::~FolderReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool FolderReader::Refill() {
  const ssize_t got = ::getdents64(fd_, buffer_, sizeof buffer_);
  if (got <= 0) {
    error_ = got < 0 ? errno : 0;
    return false;
  }
  next_ = 0;
  filled_ = static_cast<std::size_t>(got);
  return true;
}

bool FolderReader::Next() {
  if (fd_ < 0) return false;
  for (;;) {
    if (next_ >= filled_ && !Refill()) return false;
    const auto* entry = reinterpret_cast<const dirent64*>(buffer_ + next_);
    next_ += entry->d_reclen;
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    name_ = name;
    type_ = entry->d_type;
    return true;
  }
}

bool FolderReader::Resolve(struct stat& status, bool& isLink) const {
  isLink = type_ == DT_LNK;
  if (type_ == DT_UNKNOWN) {
    // The file system does not say; ask about the entry itself first.
    if (::fstatat(fd_, name_, &status, AT_SYMLINK_NOFOLLOW) != 0) return false;
    isLink = S_ISLNK(status.st_mode);
    if (!isLink) return true;
  }
  return ::fstatat(fd_, name_, &status, isLink ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace qm
