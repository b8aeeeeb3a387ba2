#pragma once
// The plain integer types of the GDI+-style interface, with GDI+'s names.

#include <cstdint>

namespace qm {

using UINT = std::uint32_t;
using ULONG = std::uint32_t;
using BYTE = std::uint8_t;
using BOOL = std::int32_t;
using ULONG_PTR = std::uintptr_t;
/// GDI+ texts are UTF-16; on Linux wchar_t is 32 bits wide, so char16_t is used.
using WCHAR = char16_t;

}  // namespace qm
