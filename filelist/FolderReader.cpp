#include "FolderReader.h"

#include <errno.h>
#include <fcntl.h>

namespace qm {

FolderReader::FolderReader(const std::string& folder) : dir_(::opendir(folder.c_str())) {
  if (dir_) {
    fd_ = ::dirfd(dir_);
  } else {
    error_ = errno;
  }
}

FolderReader::~FolderReader() {
  if (dir_) ::closedir(dir_);
}

bool FolderReader::Next() {
  if (!dir_) return false;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir_);
    if (!entry) {
      error_ = errno;
      return false;
    }
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
