#pragma once
// Reads the entries of one folder, sorted by name (ASCII letters without
// case first, then exactly: Linux lists a folder in hash order, which no
// person would call an order), with as few system calls as the entry types
// allow: the folder is read in large batches straight from the kernel, and
// the type stored with each entry spares a status call wherever it is known. Used by the folder scan and the
// file listing, which differ only in what they keep. Large trees are read
// twice over (sub-folders, then files), so this is the scan's hot path.

#include <dirent.h>
#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <vector>

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

  /// Moves to the next entry by name, skipping "." and "..". The first call
  /// reads the whole folder. Returns false at the end; Error() is then 0, or
  /// the error number when reading failed part-way (the entries read before
  /// were still given).
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
  struct Entry {
    std::string name;
    unsigned char type;
  };
  void Load();

  int fd_ = -1;
  int error_ = 0;
  const char* name_ = "";
  unsigned char type_ = DT_UNKNOWN;
  bool loaded_ = false;
  std::vector<Entry> entries_;  ///< every entry, by name
  std::size_t next_ = 0;        ///< index of the next entry in entries_
};

}  // namespace qm
