// Conversion of paths between the UTF-16 texts of the GDI+-style interface and
// the UTF-8 bytes of the file system, losslessly for any Linux path.

#include <cstdint>
#include <cstring>
#include <string>

#include "imaging/gdiplus/Gdiplus.h"

namespace qm {

namespace {

void AppendUtf8(std::string* out, char32_t c) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool IsContinuation(std::uint8_t b, std::uint8_t low = 0x80, std::uint8_t high = 0xBF) {
  return b >= low && b <= high;
}

/// Length of the valid UTF-8 sequence at `s[i]` (1 to 4), or 0 when the bytes
/// there are not one (overlong forms, encoded surrogates and values above
/// U+10FFFF are not valid).
std::size_t ValidSequenceLength(const std::string& s, std::size_t i) {
  const auto at = [&](std::size_t k) -> std::uint8_t {
    return i + k < s.size() ? static_cast<std::uint8_t>(s[i + k]) : 0;
  };
  const std::uint8_t b = at(0);
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) return IsContinuation(at(1)) ? 2 : 0;
  if (b >= 0xE0 && b <= 0xEF) {
    const std::uint8_t low = b == 0xE0 ? 0xA0 : 0x80;
    const std::uint8_t high = b == 0xED ? 0x9F : 0xBF;
    return IsContinuation(at(1), low, high) && IsContinuation(at(2)) ? 3 : 0;
  }
  if (b >= 0xF0 && b <= 0xF4) {
    const std::uint8_t low = b == 0xF0 ? 0x90 : 0x80;
    const std::uint8_t high = b == 0xF4 ? 0x8F : 0xBF;
    return IsContinuation(at(1), low, high) && IsContinuation(at(2)) && IsContinuation(at(3))
               ? 4
               : 0;
  }
  return 0;
}

}  // namespace

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
      AppendUtf8(&out, 0x10000 + (high << 10) + low);
      ++i;
    } else if (c >= 0xDC80 && c <= 0xDCFF) {
      out.push_back(static_cast<char>(c - 0xDC00));  // an escaped raw byte
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      AppendUtf8(&out, 0xFFFD);
    } else {
      AppendUtf8(&out, c);
    }
  }
  return out;
}

std::u16string PathToUtf16(const std::string& path) {
  std::u16string out;
  out.reserve(path.size());
  std::size_t i = 0;
  while (i < path.size()) {
    const std::size_t length = ValidSequenceLength(path, i);
    const auto byte = [&](std::size_t k) { return static_cast<char32_t>(static_cast<std::uint8_t>(path[i + k])); };
    char32_t c = 0;
    switch (length) {
      case 0:
        out.push_back(static_cast<char16_t>(0xDC00 + byte(0)));
        ++i;
        continue;
      case 1:
        c = byte(0);
        break;
      case 2:
        c = ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
        break;
      case 3:
        c = ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
        break;
      default:
        c = ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) |
            (byte(3) & 0x3F);
        break;
    }
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += length;
  }
  return out;
}

}  // namespace qm
