#pragma once
// One record of the image encoder table.

#include "imaging/gdiplus/GdiplusTypes.h"
#include "imaging/gdiplus/Guid.h"

namespace qm {

/// Flags of ImageCodecInfo::Flags, with GDI+'s values.
constexpr ULONG ImageCodecFlagsEncoder = 0x00000001;
constexpr ULONG ImageCodecFlagsSupportBitmap = 0x00000004;
constexpr ULONG ImageCodecFlagsBuiltin = 0x00010000;

/// Describes one encoder, with GDI+'s fields in GDI+'s order. Text fields
/// point to NUL-terminated UTF-16 texts and the signature fields to bytes,
/// all stored further on in the same block that GdipGetImageEncoders filled;
/// they stay valid as long as that block does. DllName is null (built in).
struct ImageCodecInfo {
  CLSID Clsid;
  Guid FormatID;
  const WCHAR* CodecName;
  const WCHAR* DllName;
  const WCHAR* FormatDescription;
  const WCHAR* FilenameExtension;
  const WCHAR* MimeType;
  ULONG Flags;
  ULONG Version;
  ULONG SigCount;
  ULONG SigSize;
  const BYTE* SigPattern;
  const BYTE* SigMask;
};

}  // namespace qm
