#pragma once
// Windows bitmap files (.bmp): the exchange format between the render worker
// and the exporters.

#include <cstdint>
#include <string>

#include "base/Status.h"
#include "imaging/Bitmap.h"

namespace qm {

/// Writes `bitmap` as an uncompressed Windows bitmap, 96 dpi: an opaque one
/// as 24-bit (BITMAPINFOHEADER, bottom-up rows padded to 4 bytes), one with
/// alpha as WriteBgraBmpFile does. The file appears complete or not at all
/// (written under a temporary name in the same folder, then renamed). A
/// failure names the file and carries the errno of a failed system call.
Status WriteBmpFile(const Bitmap& bitmap, const std::string& path);

/// Writes `width` x `height` opaque pixels of 4 bytes each (B, G, R and a
/// byte readers ignore; rows top to bottom, no padding: how LibreOfficeKit
/// draws) as an uncompressed 32-bit top-down Windows bitmap whose pixel data
/// are those bytes exactly, so a drawn slide reaches the file without a
/// conversion pass. The pixels must be opaque already; the fourth byte is
/// not alpha to any reader. Same guarantees and failures as WriteBmpFile.
Status WriteBgrxBmpFile(const std::uint8_t* bgrx, int width, int height, const std::string& path);

/// As WriteBgrxBmpFile, but the fourth byte is straight (not premultiplied)
/// alpha, and the file says so (a V4 header whose masks include alpha).
Status WriteBgraBmpFile(const std::uint8_t* bgra, int width, int height, const std::string& path);

/// Reads a 24-bit or 32-bit uncompressed Windows bitmap (top-down or
/// bottom-up). A 32-bit file whose header has an alpha mask gives a bitmap
/// with alpha; other 32-bit files' fourth byte is dropped. A truncated or
/// inconsistent file is refused with a failure naming the file, `bitmap`
/// then unchanged; never reads out of bounds.
Status ReadBmpFile(const std::string& path, Bitmap* bitmap);

}  // namespace qm
