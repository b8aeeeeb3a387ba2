// Conversion of paths between the UTF-16 texts of the GDI+-style interface and
// the UTF-8 bytes of the file system, losslessly for any Linux path.

#include <cstdint>
#include <cstring>
#include <string>

#include "base/Utf8.h"
#include "imaging/gdiplus/Gdiplus.h"

namespace qm {

std::string Utf16ToPath(const WCHAR* text) {
  std::string out;
  if (!text) return out;
  // Texts may lie at odd addresses inside a caller's byte block (the encoder
  // table), so each unit is copied out rather than dereferenced.
  const auto unit = [text](std::size_t i) {
    char16_t c;
    std::memcpy(&c, reinterpret_cast<const unsigned char*>(text) + i * sizeof c, sizeof c);
    return c;
  };
  for (std::size_t i = 0; unit(i) != 0; ++i) {
    const char16_t c = unit(i);
    const char16_t following = (c >= 0xD800 && c <= 0xDBFF) ? unit(i + 1) : 0;
    if (following >= 0xDC00 && following <= 0xDFFF) {
      const char32_t high = c - 0xD800;
      const char32_t low = following - 0xDC00;
      AppendUtf8(out, 0x10000 + (high << 10) + low);
      ++i;
    } else if (c >= 0xDC80 && c <= 0xDCFF) {
      out.push_back(static_cast<char>(c - 0xDC00));  // an escaped raw byte
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

std::u16string PathToUtf16(const std::string& path) {
  std::u16string out;
  out.reserve(path.size());
  std::size_t i = 0;
  while (i < path.size()) {
    const std::size_t start = i;
    char32_t c = 0;
    if (!DecodeUtf8(path, i, c)) {
      // A byte that starts no valid sequence travels as an escaped raw byte.
      out.push_back(static_cast<char16_t>(0xDC00 + static_cast<std::uint8_t>(path[start])));
      continue;
    }
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

}  // namespace qm
