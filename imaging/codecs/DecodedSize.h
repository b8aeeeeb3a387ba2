#pragma once
// How many pixels a compressed picture file can honestly hold.

#include <cstdint>

namespace qm {

/// True when `decodedBytes` of pixels can come out of a compressed picture
/// file of `fileBytes`: deflate (PNG) expands at most 1032 to 1, and a
/// baseline JPEG needs a few bits for every 8 x 8 block, well within that.
/// A header that claims more (a 100-byte file of 54 x 16,777,219 pixels) is
/// refused before its pixels are allocated. A megabyte is always allowed.
inline bool DecodedSizeFits(std::uint64_t decodedBytes, std::uint64_t fileBytes) {
  return decodedBytes <= fileBytes * 1032 + (std::uint64_t{1} << 20);
}

}  // namespace qm
