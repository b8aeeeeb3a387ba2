#pragma once
// Copying and moving a file's bytes, inside the kernel where it can.

#include <string>

namespace qm {

/// Writes a copy of `from` to `to` (created with mode 0666 less the umask,
/// or truncated when it exists). On failure `to` is removed and `why` says
/// what went wrong, in words, naming the folder that could not be written
/// ("cannot write into /home/me/out: permission denied") rather than `to`,
/// which is often a temporary name.
bool CopyFileBytes(const std::string& from, const std::string& to, std::string* why);

/// Moves `from` to `to`, replacing it: a rename, or a copy and a removal
/// when the two are on different file systems. On failure `from` is left as
/// it was and `why` says what went wrong.
bool MoveFileBytes(const std::string& from, const std::string& to, std::string* why);

}  // namespace qm
