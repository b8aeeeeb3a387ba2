// A slide drawn without its background carries alpha from the worker's
// bitmap to the file: lost alpha would give an opaque picture that looks
// right on white and wrong everywhere else.

#include <gtest/gtest.h>
#include <png.h>
#include <webp/decode.h>

#include <cstdint>
#include <vector>

#include "imaging/codecs/BmpFile.h"
#include "imaging/codecs/JpegFile.h"
#include "imaging/codecs/PngFile.h"
#include "imaging/codecs/PngSettings.h"
#include "imaging/codecs/WebpFile.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/StatusAssertions.h"
#include "tests/support/TempFolder.h"

namespace qm {
namespace {

using test::TempFolder;

/// 64 x 32 RGBA: the left half fully transparent, the right half opaque
/// red, one half-transparent blue pixel at (40, 10).
Bitmap HalfTransparent() {
  Bitmap picture(64, 32, 4);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 32; x < picture.width; ++x) {
      std::uint8_t* p = picture.Row(y) + 4 * x;
      p[0] = 255, p[1] = 0, p[2] = 0, p[3] = 255;
    }
  std::uint8_t* blue = picture.Row(10) + 4 * 40;
  blue[0] = 0, blue[1] = 0, blue[2] = 255, blue[3] = 128;
  return picture;
}

std::vector<std::uint8_t> PngAsRgba(const std::string& path, int* width, int* height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::vector<std::uint8_t> pixels;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return pixels;
  image.format = PNG_FORMAT_RGBA;
  pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) pixels.clear();
  *width = static_cast<int>(image.width);
  *height = static_cast<int>(image.height);
  return pixels;
}

TEST(AlphaPictureTest, AlphaSurvivesTheWorkersBitmapAndBothPngEncoders) {
  TempFolder folder;
  const Bitmap drawn = HalfTransparent();
  ASSERT_TRUE(test::Succeeded(WriteBmpFile(drawn, folder / "slide.bmp")));
  Bitmap read;
  ASSERT_TRUE(test::Succeeded(ReadBmpFile(folder / "slide.bmp", &read)));
  ASSERT_EQ(read.channels, 4);
  EXPECT_EQ(read.pixels, drawn.pixels);

  // The flat picture takes the one-pass encoder, the photo-like one the
  // streaming one: both must write the alpha.
  Bitmap photo = test::SlideLikePicture(64, 32, 7);
  Bitmap photoWithAlpha(64, 32, 4);
  for (std::size_t i = 0, n = 64 * 32; i < n; ++i) {
    for (int c = 0; c < 3; ++c) photoWithAlpha.pixels[4 * i + c] = photo.pixels[3 * i + c];
    photoWithAlpha.pixels[4 * i + 3] = static_cast<std::uint8_t>(i * 7);
  }
  for (const Bitmap* picture : {&read, &photoWithAlpha}) {
    ASSERT_TRUE(test::Succeeded(WritePngFile(*picture, folder / "slide.png")));
    int width = 0, height = 0;
    const std::vector<std::uint8_t> rgba = PngAsRgba(folder / "slide.png", &width, &height);
    ASSERT_EQ(width, 64);
    ASSERT_EQ(height, 32);
    EXPECT_EQ(rgba, picture->pixels);
  }
}

TEST(AlphaPictureTest, WebpKeepsAlphaAndJpegIsCompositedOverWhite) {
  TempFolder folder;
  const Bitmap drawn = HalfTransparent();
  ASSERT_TRUE(test::Succeeded(WriteWebpFile(drawn, folder / "slide.webp", 90)));
  const std::vector<std::uint8_t> webp = test::FileBytes(folder / "slide.webp");
  int width = 0, height = 0;
  std::uint8_t* rgba = WebPDecodeRGBA(webp.data(), webp.size(), &width, &height);
  ASSERT_NE(rgba, nullptr);
  EXPECT_EQ(rgba[4 * (5 * 64 + 5) + 3], 0);     // left: transparent
  EXPECT_EQ(rgba[4 * (5 * 64 + 50) + 3], 255);  // right: opaque
  EXPECT_GT(rgba[4 * (5 * 64 + 50)], 200);      // and red
  WebPFree(rgba);

  ASSERT_TRUE(test::Succeeded(WriteJpegFile(drawn, folder / "slide.jpg", 95)));
  Bitmap jpeg;
  ASSERT_TRUE(test::Succeeded(ReadJpegFile(folder / "slide.jpg", &jpeg)));
  const std::uint8_t* left = jpeg.Row(5) + 3 * 5;
  EXPECT_GT(left[0], 245);  // transparent became white, not black
  EXPECT_GT(left[2], 245);
  const std::uint8_t* right = jpeg.Row(5) + 3 * 50;
  EXPECT_GT(right[0], 230);
  EXPECT_LT(right[1], 30);
}

}  // namespace
}  // namespace qm
