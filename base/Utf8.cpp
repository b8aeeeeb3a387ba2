#include "base/Utf8.h"

namespace qm {

bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& codePoint) {
  const std::size_t start = pos;
  const auto lead = static_cast<unsigned char>(text[pos++]);
  if (lead < 0x80) {
    codePoint = lead;
    return true;
  }
  // Whatever is wrong, the caller moves on by the one byte that starts no
  // character: the bytes after it may start one.
  const auto refuse = [&] {
    pos = start + 1;
    return false;
  };
  int extra = 0;
  char32_t value = 0;
  char32_t smallest = 0;  // below this the form is overlong
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, value = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, value = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, value = lead & 0x07, smallest = 0x10000;
  } else {
    return refuse();  // a continuation byte, or a lead byte no longer allowed
  }
  for (int i = 0; i < extra; ++i) {
    if (pos >= text.size()) return refuse();
    const auto next = static_cast<unsigned char>(text[pos]);
    if ((next & 0xC0) != 0x80) return refuse();
    value = (value << 6) | (next & 0x3F);
    ++pos;
  }
  if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return refuse();
  codePoint = value;
  return true;
}

bool IsValidUtf8(std::string_view text) {
  std::size_t pos = 0;
  char32_t ignored = 0;
  while (pos < text.size()) {
    // Plain ASCII runs are by far the common case; skip them without decoding.
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
      ++pos;
      continue;
    }
    if (!DecodeUtf8(text, pos, ignored)) return false;
  }
  return true;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace qm
