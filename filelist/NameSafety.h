#pragma once
// Which names the program can handle. File names are bytes on this
// platform; the program handles them as text in the locale's encoding,
// which is UTF-8, so a name that does not decode cannot be represented and
// is left out of scans. The folder scan refuses a few more characters in
// folder names.

#include <string_view>

namespace qm {

/// True when `name` holds a character the folder scan refuses: the name is
/// not well-formed UTF-8 (so the locale cannot represent it), or one of its
/// code points is below 32, lies from 127 to 159 inclusive (DEL and the C1
/// controls), or is "?". A refused sub-folder is left out with everything
/// below it. Characters such as "é", the en dash or the typographic
/// apostrophe are safe. Never fails.
bool HasUnsafeNameChars(std::string_view name);

}  // namespace qm
