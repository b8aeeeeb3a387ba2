#include "tests/imaging/TestPictures.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace qm::test {

Bitmap SlideLikePicture(int width, int height, unsigned seed) {
  Bitmap b(width, height);
  unsigned state = seed * 2654435761u + 1;
  const auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return state >> 24;
  };
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = b.Row(y);
    for (int x = 0; x < width; ++x) {
      std::uint8_t r = 255, g = 255, bl = 255;
      if (y < height / 6) {  // title bar
        r = 31;
        g = 78;
        bl = 121;
      } else if (x > width / 2 && y > height / 3) {  // gradient panel
        r = static_cast<std::uint8_t>(255 * x / width);
        g = static_cast<std::uint8_t>(255 * y / height);
        bl = 160;
        if (x > 3 * width / 4 && y > 2 * height / 3) {  // photo-like noise
          r = static_cast<std::uint8_t>(r / 2 + next() / 2);
          g = static_cast<std::uint8_t>(g / 2 + next() / 2);
          bl = static_cast<std::uint8_t>(next());
        }
      } else if ((y / 3) % 5 < 2 && (x / 4 + y / 15 + seed) % 7 < 5 && x > 8) {  // text
        r = g = bl = 20;
      }
      row[3 * x] = r;
      row[3 * x + 1] = g;
      row[3 * x + 2] = bl;
    }
  }
  return b;
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

int LargestDifference(const Bitmap& a, const std::uint8_t* b, int bWidth, int bHeight) {
  if (a.width != bWidth || a.height != bHeight) return -1;
  int largest = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i)
    largest = std::max(largest, std::abs(int(a.pixels[i]) - int(b[i])));
  return largest;
}

int LargestDifference(const Bitmap& a, const Bitmap& b) {
  return LargestDifference(a, b.pixels.data(), b.width, b.height);
}

}  // namespace qm::test
