#pragma once
// Windows bitmap files (.bmp): the exchange format between the render worker
// and the exporters.

#include <string>

#include "imaging/Bitmap.h"

namespace qm {

/// Writes `bitmap` as an uncompressed 24-bit Windows bitmap (BITMAPINFOHEADER,
/// bottom-up rows padded to 4 bytes, 96 dpi). The file appears complete or not
/// at all (written under a temporary name in the same folder, then renamed).
/// Returns false and sets `error` (a sentence naming the file) on failure.
bool WriteBmpFile(const Bitmap& bitmap, const std::string& path, std::string* error);

/// As above; also stores in `systemError` the errno of a failed system call
/// (0 when the failure was not one, or on success), for callers that map it
/// to a status of their own.
bool WriteBmpFile(const Bitmap& bitmap, const std::string& path, std::string* error,
                  int* systemError);

/// Reads a 24-bit or 32-bit uncompressed Windows bitmap (top-down or
/// bottom-up; 32-bit alpha is dropped). A truncated or inconsistent file is
/// refused: returns false and sets `error`; never reads out of bounds.
bool ReadBmpFile(const std::string& path, Bitmap* bitmap, std::string* error);

}  // namespace qm
