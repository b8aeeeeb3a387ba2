#pragma once
// The program's start of the GDI+-style library, held by whoever runs the
// program's work.

#include "imaging/gdiplus/Gdiplus.h"

namespace qm {

/// Keeps the GDI+-style library started while it lives. The programs (the
/// window, quillmere-batch, each conversion job) hold one for their run; the
/// writers (SaveBitmapByMime) rely on it and never start the library
/// themselves. Sessions are independent values: each holds its own token.
class GdiPlusSession {
 public:
  GdiPlusSession() = default;
  ~GdiPlusSession() { Stop(); }
  GdiPlusSession(const GdiPlusSession&) = delete;
  GdiPlusSession& operator=(const GdiPlusSession&) = delete;

  /// Starts the library, unless this session did already. True when it is
  /// usable.
  bool Start();

  /// Undoes Start; does nothing when it did not succeed or was undone.
  void Stop();

  /// True between a Start that succeeded and Stop.
  bool Started() const { return token_ != 0; }

 private:
  ULONG_PTR token_ = 0;
};

}  // namespace qm
