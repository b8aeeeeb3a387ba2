#pragma once
// UTF-8, the encoding of every name and text the program handles: one
// decoder and one encoder for the whole program.

#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

/// Decodes the code point that starts at byte `pos` of `text` into
/// `codePoint` and moves `pos` past it. Returns false when the bytes there
/// are not well-formed UTF-8 (a stray continuation byte, a truncated
/// sequence, an overlong form, a surrogate U+D800..U+DFFF or a value above
/// U+10FFFF): `pos` then moves past the one byte at `pos`, which starts no
/// character, so that a caller going on from there reads every later byte.
/// `pos` must be below text.size().
bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& codePoint);

/// True when all of `text` is well-formed UTF-8 (the empty text is).
bool IsValidUtf8(std::string_view text);

/// Appends the UTF-8 form of `codePoint` (at most U+10FFFF) to `out`.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace qm
