#pragma once
// A file that appears complete under its final name or not at all.

#include <cstddef>
#include <cstdio>
#include <string>

#include "base/Status.h"

namespace qm {

/// Writes a file under a hidden temporary name in the destination's folder
/// (".name.quillmere-<pid>-XXXXXX", see base/TemporaryName.h, so a file left
/// by a killed process can be swept) and renames it over the destination
/// only on Commit(), so
/// readers never see a half-written file and an existing file is replaced in
/// one step. In a folder HeldFolders holds, both are made through its handle. Abandoning the object without Commit() removes the temporary.
/// The data is not forced to the disk (no fsync): the promise holds against
/// readers and failed writes, not against a power cut, and keeps writes fast.
///
/// Every failing call returns a failed Status: a sentence naming the
/// destination, and the errno of the failed system call (0 when the failure
/// was not a system call's). The first failure is kept (Failure()); every
/// later call returns it. Not copyable; one writer per object.
class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  /// Creates the temporary beside `path` (an empty `path` or one ending in
  /// "/" is refused). The new file gets the permissions an ordinary new file
  /// would get (0666 less the process umask).
  Status Open(const std::string& path);

  /// Appends `size` bytes. Fails after any earlier failure.
  Status Write(const void* data, std::size_t size);

  /// The open stream, for libraries that write to a FILE*; null when not
  /// open. Failures on it are found by Commit().
  std::FILE* Stream() { return stream_; }

  /// Writes `size` bytes at `data` as the whole file at `path`: Open, Write,
  /// Commit.
  static Status WriteWhole(const std::string& path, const void* data, std::size_t size);

  /// Flushes, closes and renames the temporary over the destination. On
  /// failure the temporary is removed and the destination is untouched.
  Status Commit();

  /// Closes and removes the temporary, if any. Safe to call repeatedly.
  void Abandon();

  /// Records a failure found by the caller (for example an encoder error)
  /// as this file's message, and abandons the temporary.
  void Fail(const std::string& what, int systemError = 0);

  const std::string& Path() const { return path_; }
  const std::string& TempPath() const { return tempPath_; }
  /// The first failure since Open; ok while there is none.
  const Status& Failure() const { return failure_; }

 private:
  Status FailWithErrno(const std::string& what, int error);

  std::string path_;
  std::string target_;  ///< path_, through its folder's handle when the folder is held
  std::string tempPath_;
  std::FILE* stream_ = nullptr;
  Status failure_;
};

}  // namespace qm
