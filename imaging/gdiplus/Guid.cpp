#include "imaging/gdiplus/Guid.h"

#include <cstdio>

namespace qm {

namespace {

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

/// Reads `digits` hex digits at `text[*at]`, advancing `*at`. False on a
/// non-digit, including the terminating NUL, so it never reads past it.
bool ReadHex(const char16_t* text, int* at, int digits, std::uint32_t* value) {
  std::uint32_t result = 0;
  for (int i = 0; i < digits; ++i) {
    const int digit = HexValue(text[*at]);
    if (digit < 0) return false;
    result = (result << 4) | static_cast<std::uint32_t>(digit);
    ++*at;
  }
  *value = result;
  return true;
}

bool Expect(const char16_t* text, int* at, char16_t c) {
  if (text[*at] != c) return false;
  ++*at;
  return true;
}

constexpr Guid MakeGuid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3,
                        std::uint64_t d4) {
  Guid g;
  g.Data1 = d1;
  g.Data2 = d2;
  g.Data3 = d3;
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<std::uint8_t>(d4 >> (56 - 8 * i));
  return g;
}

}  // namespace

HRESULT CLSIDFromString(const char16_t* text, CLSID* clsid) {
  if (!clsid) return CO_E_CLASSSTRING;
  *clsid = Guid{};
  if (!text) return CO_E_CLASSSTRING;
  Guid g;
  std::uint32_t value = 0;
  int at = 0;
  if (!Expect(text, &at, u'{') || !ReadHex(text, &at, 8, &value)) return CO_E_CLASSSTRING;
  g.Data1 = value;
  if (!Expect(text, &at, u'-') || !ReadHex(text, &at, 4, &value)) return CO_E_CLASSSTRING;
  g.Data2 = static_cast<std::uint16_t>(value);
  if (!Expect(text, &at, u'-') || !ReadHex(text, &at, 4, &value)) return CO_E_CLASSSTRING;
  g.Data3 = static_cast<std::uint16_t>(value);
  if (!Expect(text, &at, u'-')) return CO_E_CLASSSTRING;
  for (int i = 0; i < 8; ++i) {
    if (i == 2 && !Expect(text, &at, u'-')) return CO_E_CLASSSTRING;
    if (!ReadHex(text, &at, 2, &value)) return CO_E_CLASSSTRING;
    g.Data4[i] = static_cast<std::uint8_t>(value);
  }
  if (!Expect(text, &at, u'}') || text[at] != u'\0') return CO_E_CLASSSTRING;
  *clsid = g;
  return NOERROR;
}

std::string GuidToString(const Guid& g) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

const CLSID kBmpEncoderClsid = MakeGuid(0x557CF400, 0x1A04, 0x11D3, 0x9A730000F81EF32Eull);
const CLSID kJpegEncoderClsid = MakeGuid(0x557CF401, 0x1A04, 0x11D3, 0x9A730000F81EF32Eull);
const CLSID kPngEncoderClsid = MakeGuid(0x557CF406, 0x1A04, 0x11D3, 0x9A730000F81EF32Eull);
const Guid kImageFormatBmp = MakeGuid(0xB96B3CAB, 0x0728, 0x11D3, 0x9D7B0000F81EF32Eull);
const Guid kImageFormatJpeg = MakeGuid(0xB96B3CAE, 0x0728, 0x11D3, 0x9D7B0000F81EF32Eull);
const Guid kImageFormatPng = MakeGuid(0xB96B3CAF, 0x0728, 0x11D3, 0x9D7B0000F81EF32Eull);
const Guid kEncoderQuality = MakeGuid(0x1D5BE4B5, 0xFA4A, 0x452D, 0x9CDD5DB35105E7EBull);

}  // namespace qm
