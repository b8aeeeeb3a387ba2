#pragma once
// Reads PNG files in tests with libpng, independently of the program's own
// encoder, so a fault in our writer cannot hide behind the same reader.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qm::test {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  ///< width * height * 3
};

using Pixel = std::array<std::uint8_t, 3>;

/// Decodes `path` to RGB; an image of size 0 x 0 when it is not a readable PNG.
RgbImage ReadPng(const std::string& path);

/// True when `path` is a PNG file that decodes.
bool FileIsPng(const std::string& path);

/// The pixel at (x, y); black outside the image.
Pixel PixelAt(const RgbImage& image, int x, int y);

/// True when every channel of `a` is within `tolerance` of `b`.
bool Near(const Pixel& a, const Pixel& b, int tolerance);

}  // namespace qm::test
