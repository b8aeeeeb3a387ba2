#pragma once
// Copying and moving a file's bytes, inside the kernel where it can.

#include <string>

namespace qm {

/// Writes a copy of `from` to `to`, created anew with mode 0666 less the
/// umask: whatever lay at `to` is removed first, and a symbolic link found
/// there is never written through (one planted between the removal and the
/// creation makes the copy fail). Only a regular file is copied: `from` being
/// a symbolic link, a pipe or a device fails at once (none is followed, read
/// or waited on). On failure `to` is removed and `why` says
/// what went wrong, in words, naming the folder that could not be written
/// ("cannot write into /home/me/out: permission denied") rather than `to`,
/// which is often a temporary name.
bool CopyFileBytes(const std::string& from, const std::string& to, std::string* why);

/// Moves `from` to `to`, replacing it: a rename, or a copy and a removal
/// when the two are on different file systems. Only a regular file is
/// moved: when what the rename brought to `to` is anything else (a symbolic
/// link, a pipe), it is removed and the move fails. Otherwise on failure
/// `from` is left as it was. `why` says what went wrong.
bool MoveFileBytes(const std::string& from, const std::string& to, std::string* why);

}  // namespace qm
