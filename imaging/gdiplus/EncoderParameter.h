#pragma once
// One setting handed to an image encoder.

#include "imaging/gdiplus/GdiplusTypes.h"
#include "imaging/gdiplus/Guid.h"

namespace qm {

/// Value type 4: each value is a 32-bit unsigned number.
constexpr ULONG EncoderParameterValueTypeLong = 4;

/// One encoder setting, with GDI+'s fields: which setting (`Guid`, such as
/// kEncoderQuality), how many values, their type, and the address of the
/// first value. The values stay owned by the caller.
struct EncoderParameter {
  qm::Guid Guid;
  ULONG NumberOfValues = 0;
  ULONG Type = 0;
  void* Value = nullptr;
};

}  // namespace qm
