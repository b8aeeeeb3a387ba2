#pragma once
// Turning what LibreOfficeKit paints into the opaque pixels of a Bitmap.

#include <cstddef>
#include <cstdint>

#include "imaging/Bitmap.h"

namespace qm {

/// Converts `width` x `height` premultiplied 4-byte pixels (rows top to
/// bottom, no padding; B,G,R,A order when `bgra`, else R,G,B,A) into opaque
/// RGB by compositing them over white: out = colour + (255 - alpha), which is
/// exact for premultiplied input. Opaque pixels keep their colour; a pixel the
/// painter left transparent becomes white, as on paper. `bitmap` is resized to
/// the same size (its storage is reused when already large enough).
void CompositePremultipliedOverWhite(const std::uint8_t* pixels, int width, int height, bool bgra,
                                     Bitmap* bitmap);

/// Turns `count` premultiplied 4-byte pixels (B,G,R,A when `bgra`, else
/// R,G,B,A) in place into B,G,R,A with straight alpha: what a bitmap file
/// with alpha holds. A fully transparent pixel becomes 0,0,0,0.
void StraightBgraInPlace(std::uint8_t* pixels, std::size_t count, bool bgra);

/// True when every one of `count` 4-byte pixels has alpha (its fourth byte)
/// 255: premultiplied pixels that need no compositing.
bool AllOpaque(const std::uint8_t* pixels, std::size_t count);

}  // namespace qm
