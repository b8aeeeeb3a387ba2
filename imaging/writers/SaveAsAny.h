#pragma once
// The program's PNG writer (module SaveAsAny): writes a bitmap with the
// encoder that belongs to a MIME type.

#include <string>

#include "imaging/Bitmap.h"
#include "imaging/gdiplus/Gdiplus.h"

namespace qm {

/// Writes `bitmap` to `path` (UTF-8) with the encoder whose MIME type is
/// `mime` (any case), at that encoder's default settings, replacing a file of
/// that name. Returns true exactly when the file was written; false when the
/// bitmap is null or empty, no encoder has that MIME type (no file is made),
/// or saving failed (for example a folder that does not exist). Relies on
/// the library being started (a GdiPlusSession); never starts it itself, so it
/// returns false while it is not. When saving failed, `why` (if given) gets
/// the codec's sentence (which file, the system's reason); it is emptied
/// otherwise. Shows nothing; throws only std::bad_alloc.
bool SaveBitmapByMime(const Bitmap* bitmap, const std::string& path, const std::string& mime,
                      std::string* why = nullptr);

/// Looks `mime` up among the encoders, in the order the table lists them,
/// comparing without regard to ASCII case. On a match stores that encoder's
/// CLSID in `*clsid` and returns true; false (and `*clsid` untouched) when
/// none matches or the table is empty, as it is while the library is not
/// started.
bool FindEncoderByMime(const std::string& mime, CLSID* clsid);

/// The UTF-16 text at `text` up to its NUL, as UTF-8 (paths keep raw bytes,
/// see Utf16ToPath); empty for null.
std::string WideTextFromPointer(const WCHAR* text);

}  // namespace qm
