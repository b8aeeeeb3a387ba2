#pragma once
// Class and parameter identifiers (GUIDs) as GDI+ and COM use them.

#include <cstdint>
#include <string>

namespace qm {

/// A 16-byte globally unique identifier in the Windows layout: Data1 to
/// Data3 are numbers (host order), Data4 the last eight bytes in text order.
struct Guid {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::uint8_t Data4[8] = {};

  friend bool operator==(const Guid& a, const Guid& b) = default;
};

/// A class identifier, such as an image encoder's.
using CLSID = Guid;

/// COM's result type; only the two values below are produced.
using HRESULT = std::int32_t;
constexpr HRESULT NOERROR = 0;
/// The text is not a braced GUID ("Invalid class string").
constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3u);

/// Parses a braced GUID text such as "{557CF401-1A04-11D3-9A73-0000F81EF32E}"
/// (hex digits in either case) into `clsid`. Returns NOERROR, or
/// CO_E_CLASSSTRING with `clsid` set to all zeros for any other text or a
/// null argument. Program identifiers ("Word.Document") are not looked up.
HRESULT CLSIDFromString(const char16_t* text, CLSID* clsid);

/// The braced upper-case text of `guid`, the inverse of CLSIDFromString.
std::string GuidToString(const Guid& guid);

/// Well-known identifiers of the GDI+ encoders and parameters.
extern const CLSID kBmpEncoderClsid;   ///< {557CF400-1A04-11D3-9A73-0000F81EF32E}
extern const CLSID kJpegEncoderClsid;  ///< {557CF401-1A04-11D3-9A73-0000F81EF32E}
extern const CLSID kPngEncoderClsid;   ///< {557CF406-1A04-11D3-9A73-0000F81EF32E}
extern const Guid kImageFormatBmp;     ///< {B96B3CAB-0728-11D3-9D7B-0000F81EF32E}
extern const Guid kImageFormatJpeg;    ///< {B96B3CAE-0728-11D3-9D7B-0000F81EF32E}
extern const Guid kImageFormatPng;     ///< {B96B3CAF-0728-11D3-9D7B-0000F81EF32E}
extern const Guid kEncoderQuality;     ///< {1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB}

}  // namespace qm
