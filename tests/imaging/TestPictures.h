#pragma once
// Pictures and file helpers shared by the imaging tests.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Bitmap.h"

namespace qm::test {

/// A picture like a rendered slide: white page, a title bar, "text" strokes,
/// a gradient panel and a noisy photo-like patch, so every encoder path
/// (flat runs, edges, smooth ramps, noise) is exercised. Same `seed`, same
/// pixels.
Bitmap SlideLikePicture(int width, int height, unsigned seed = 1);

/// The whole content of a file; empty when it cannot be read.
std::vector<std::uint8_t> FileBytes(const std::string& path);

/// Writes `bytes` as the file's whole content (plain, for setting up cases).
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

/// Largest difference of any channel of any pixel; -1 when sizes differ.
int LargestDifference(const Bitmap& a, const std::uint8_t* b, int bWidth, int bHeight);
int LargestDifference(const Bitmap& a, const Bitmap& b);

}  // namespace qm::test
