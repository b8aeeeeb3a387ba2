#pragma once
// Reads the entries of one folder, in the file system's listing order, with
// as few system calls as the entry types allow: the folder is read in large
// batches straight from the kernel, and the type stored with each entry
// spares a status call wherever it is known. Used by the folder scan and the
// file listing, which differ only in what they keep. Large trees are read
// twice over (sub-folders, then files), so this is the scan's hot path.

#include <dirent.h>
#include <sys/stat.h>

#include <cstddef>
#include <string>

namespace qm {

class FolderReader {
 public:
  /// Opens `folder` for reading (links followed). When that fails, Opened()
  /// is false and Error() holds the system's error number (ENOTDIR when
  /// `folder` is no folder).
  explicit FolderReader(const std::string& folder);
  ~FolderReader();
  FolderReader(const FolderReader&) = delete;
  FolderReader& operator=(const FolderReader&) = delete;

  bool Opened() const { return fd_ >= 0; }

  /// Moves to the next entry, skipping "." and "..". Returns false at the end
  /// and when reading fails; Error() is then 0 or the error number.
  bool Next();

  /// The system's error number of the failed open or read; 0 when none.
  int Error() const { return error_; }

  /// The current entry's name. Valid until the next call of Next().
  const char* Name() const { return name_; }

  /// True when the entry is a folder for sure (no status call needed).
  bool IsPlainFolder() const { return type_ == DT_DIR; }

  /// True when the entry is a regular file for sure (no status call needed).
  bool IsPlainFile() const { return type_ == DT_REG; }

  /// True when the entry may be or lead to a folder: a folder, a link, or an
  /// entry of unknown type.
  bool MayBeFolder() const { return type_ == DT_DIR || type_ == DT_LNK || type_ == DT_UNKNOWN; }

  /// Reads the status of what the current entry leads to (links followed)
  /// into `status`, and whether the entry itself is a link into `isLink`.
  /// Returns false when that cannot be read: the entry vanished, or it is a
  /// broken link.
  bool Resolve(struct stat& status, bool& isLink) const;

 private:
  bool Refill();

  int fd_ = -1;
  int error_ = 0;
  const char* name_ = "";
  unsigned char type_ = DT_UNKNOWN;
  std::size_t next_ = 0;    ///< offset of the next entry in buffer_
  std::size_t filled_ = 0;  ///< bytes of buffer_ holding entries
  alignas(8) char buffer_[32768];
};

}  // namespace qm
