#pragma once
// What a caller passes to GdiplusStartup.

#include "imaging/gdiplus/GdiplusTypes.h"

namespace qm {

/// Start-up input of GdiplusStartup, with GDI+'s fields. Only version 1 is
/// accepted; the other fields are kept for the caller's sake and change
/// nothing here (there is no background thread and no external codec).
struct GdiplusStartupInput {
  UINT GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = 0;
  BOOL SuppressExternalCodecs = 0;
};

}  // namespace qm
