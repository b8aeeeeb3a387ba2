#pragma once
// Which names the program can handle. File names are bytes on this
// platform; the program handles them as text in the locale's encoding,
// which is UTF-8, so a name that does not decode cannot be represented and
// is left out of scans. The folder scan refuses a few more characters in
// folder names.

#include <cstddef>
#include <string_view>

namespace qm {

/// Decodes the code point that starts at byte `pos` of `text` into
/// `codePoint` and moves `pos` past it. Returns false, leaving `pos` on the
/// offending byte plus one, when the bytes there are not well-formed UTF-8:
/// a stray continuation byte, a truncated sequence, an overlong form, a
/// surrogate (U+D800..U+DFFF) or a value above U+10FFFF. `pos` must be
/// below text.size().
bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& codePoint);

/// True when all of `text` is well-formed UTF-8 (the empty text is).
bool IsValidUtf8(std::string_view text);

/// True when `name` holds a character the folder scan refuses: the name is
/// not well-formed UTF-8 (so the locale cannot represent it), or one of its
/// code points is below 32, lies from 127 to 159 inclusive (DEL and the C1
/// controls), or is "?". A refused sub-folder is left out with everything
/// below it. Characters such as "é", the en dash or the typographic
/// apostrophe are safe. Never fails.
bool HasUnsafeNameChars(std::string_view name);

}  // namespace qm
