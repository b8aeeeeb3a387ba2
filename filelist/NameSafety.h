#pragma once
// The name test of the folder scan: which sub-folder names the scan refuses.

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
