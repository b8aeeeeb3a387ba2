#pragma once
// Paths read from a file or standard input, for --files-from: what find,
// xargs and GNU parallel hand over.

#include <optional>
#include <string>
#include <vector>

namespace qm {

/// The paths in `source` ("-": standard input), one a line, or separated by
/// NUL characters when `nulSeparated` (find -print0). Empty entries are left
/// out; a line's CR before its LF is kept (a name may end in one). nullopt,
/// with a sentence in `error`, when the source cannot be read.
std::optional<std::vector<std::string>> ReadPathList(const std::string& source, bool nulSeparated,
                                                     std::string* error);

}  // namespace qm
