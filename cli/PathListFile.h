#pragma once
// Paths read from a file or standard input, for --files-from: what find,
// xargs and GNU parallel hand over.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "filelist/SkippedPath.h"

namespace qm {

class CancelToken;

/// The longest path the list hands on: the system opens none longer
/// (PATH_MAX counts the terminating NUL).
inline constexpr std::size_t kMaxListedPathBytes = 4095;

/// The paths in `source` ("-": standard input), one a line, or separated by
/// NUL characters when `nulSeparated` (find -print0). Empty entries are left
/// out; a line's CR before its LF is kept (a name may end in one).
///
/// An entry no file can have is noted in `skipped` with its reason instead of
/// handed on: one over kMaxListedPathBytes (only its start is kept, so an
/// endless entry such as /dev/zero's costs no memory), and, in a list of
/// lines, one holding a NUL (the list was meant for -0).
///
/// nullopt, with a sentence in `error`, when the source cannot be read, and
/// as soon as `stop` is requested (a read interrupted by a signal looks at
/// it; the caller tells a stop from a failure by the token).
std::optional<std::vector<std::string>> ReadPathList(const std::string& source, bool nulSeparated,
                                                     const CancelToken& stop, SkippedPaths* skipped,
                                                     std::string* error);

}  // namespace qm
