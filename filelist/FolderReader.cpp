#include "filelist/FolderReader.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace qm {

FolderReader::FolderReader(const std::string& folder)
    : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  if (fd_ < 0) error_ = errno;
}

FolderReader::~FolderReader() {
  if (fd_ >= 0) (void)::close(fd_);  // a folder only read from
}

namespace {

/// ASCII letters compared without case, then every byte as it is: a total
/// order, so that "Deck2" and "deck2" always come out the same way round.
bool ComesBefore(const std::string& a, const std::string& b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const int x = std::tolower(static_cast<unsigned char>(a[i]));
    const int y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace

void FolderReader::Load() {
  loaded_ = true;
  alignas(8) char buffer[32768];
  for (;;) {
    const ssize_t got = ::getdents64(fd_, buffer, sizeof buffer);
    if (got <= 0) {
      error_ = got < 0 ? errno : 0;
      break;
    }
    for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      at += entry->d_reclen;
      const char* name = entry->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      entries_.push_back({name, entry->d_type});
    }
  }
  std::sort(entries_.begin(), entries_.end(),
            [](const Entry& a, const Entry& b) { return ComesBefore(a.name, b.name); });
}

bool FolderReader::Next() {
  if (fd_ < 0) return false;
  if (!loaded_) Load();
  if (next_ >= entries_.size()) return false;
  name_ = entries_[next_].name.c_str();
  type_ = entries_[next_].type;
  ++next_;
  return true;
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
