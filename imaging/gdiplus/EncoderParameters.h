#pragma once
// The block of settings handed to GdipSaveImageToFile.

#include "imaging/gdiplus/EncoderParameter.h"

namespace qm {

/// `Count` settings laid out one after the other, as GDI+ lays them out: a
/// caller with more than one setting allocates room for `Count` entries
/// starting at `Parameter`. The usual single setting fits as declared.
struct EncoderParameters {
  UINT Count = 0;
  EncoderParameter Parameter[1];
};

}  // namespace qm
