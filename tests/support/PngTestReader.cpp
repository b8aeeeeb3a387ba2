#include "tests/support/PngTestReader.h"

#include <png.h>

#include <cstdlib>

namespace qm::test {

RgbImage ReadPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  RgbImage out;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return out;
  }
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.rgb = std::move(pixels);
  return out;
}

bool FileIsPng(const std::string& path) { return ReadPng(path).width > 0; }

Pixel PixelAt(const RgbImage& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return {0, 0, 0};
  const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 3;
  return {image.rgb[at], image.rgb[at + 1], image.rgb[at + 2]};
}

bool Near(const Pixel& a, const Pixel& b, int tolerance) {
  for (int c = 0; c < 3; ++c)
    if (std::abs(int(a[c]) - int(b[c])) > tolerance) return false;
  return true;
}

}  // namespace qm::test
