#pragma once
// Strict UTF-8 decoding. File names are bytes on this platform; the program
// handles them as text in the locale's encoding, which is UTF-8, so a name
// that does not decode cannot be represented and is left out of scans.

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

}  // namespace qm
