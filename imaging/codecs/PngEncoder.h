#pragma once
// Whole pictures to PNG bytes in one pass, through libdeflate: the fast path
// for slide images, which are in memory whole anyway. (Pictures that arrive
// row by row go through PngStreamWriter.)

#include <cstdint>
#include <string>
#include <vector>

#include "base/Status.h"
#include "imaging/Bitmap.h"
#include "imaging/codecs/PngSettings.h"

namespace qm {

/// Encodes `bitmap` as a complete RGB (or, with alpha, RGBA) PNG file (IHDR, pHYs at
/// 96 dpi, one IDAT, IEND) with `settings` already made for the picture
/// (PngSettings::ForPicture): the filter is NONE or UP, the level is
/// libdeflate's. Fails when the picture is empty or too large, or memory
/// runs out; as no file is involved, the failure's message is only the
/// reason ("the picture holds no pixels"), for the caller's own sentence.
Status EncodePng(const Bitmap& bitmap, const PngSettings& settings, std::vector<std::uint8_t>* png);

}  // namespace qm
