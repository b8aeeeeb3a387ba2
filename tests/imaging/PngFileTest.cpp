// PNG files: what the encoder writes must decode with an independent decoder
// (libpng) to the very same pixels, and the reader must take other writers'
// files and refuse damaged ones.

#include <gtest/gtest.h>

#include <png.h>

#include <vector>

#include "imaging/codecs/PngFile.h"
#include "tests/support/PngTestReader.h"
#include "tests/support/TempFolder.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/StatusAssertions.h"

namespace qm {
namespace {

using test::TempFolder;

int DifferenceFromLibpng(const Bitmap& original, const std::string& path) {
  const test::RgbImage decoded = test::ReadPng(path);
  if (decoded.width == 0) return -2;
  return test::LargestDifference(original, decoded.rgb.data(), decoded.width, decoded.height);
}

TEST(PngFile, EverySettingRoundTripsExactlyThroughLibpng) {
  TempFolder folder;
  const Bitmap picture = test::SlideLikePicture(161, 91);
  std::vector<PngSettings> all = {PngSettings::Defaults(), PngSettings::ZlibDefault()};
  for (int filter : {PngSettings::kFilterNone, PngSettings::kFilterSub, PngSettings::kFilterUp,
                     PngSettings::kFilterAverage, PngSettings::kFilterPaeth}) {
    for (int strategy : {PngSettings::kStrategyDefault, PngSettings::kStrategyRle}) {
      PngSettings s;
      s.compressionLevel = 1;
      s.filters = filter;
      s.strategy = strategy;
      all.push_back(s);
    }
  }
  for (const PngSettings& s : all) {
    ASSERT_TRUE(test::Succeeded(WritePngFile(picture, folder / "a.png", s)));
    EXPECT_EQ(DifferenceFromLibpng(picture, folder / "a.png"), 0)
        << "level " << s.compressionLevel << " filters " << s.filters << " strategy " << s.strategy;
  }
}

TEST(PngFile, TinyAndNarrowPicturesRoundTrip) {
  TempFolder folder;
  for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 300}, std::pair{300, 1}, std::pair{3, 2}}) {
    const Bitmap picture = test::SlideLikePicture(w, h, 7);
    ASSERT_TRUE(test::Succeeded(WritePngFile(picture, folder / "t.png")));
    EXPECT_EQ(DifferenceFromLibpng(picture, folder / "t.png"), 0) << w << "x" << h;
    Bitmap back;
    ASSERT_TRUE(test::Succeeded(ReadPngFile(folder / "t.png", &back)));
    EXPECT_EQ(test::LargestDifference(picture, back), 0);
  }
}

TEST(PngFile, WrittenFileIs24BitColourAt96Dpi) {
  TempFolder folder;
  ASSERT_TRUE(test::Succeeded(WritePngFile(Bitmap(5, 4), folder / "a.png")));
  const auto bytes = test::FileBytes(folder / "a.png");
  ASSERT_GT(bytes.size(), 33u);
  EXPECT_EQ(bytes[24], 8);  // bit depth
  EXPECT_EQ(bytes[25], 2);  // colour type: truecolour
  const std::string text(bytes.begin(), bytes.end());
  const std::size_t phys = text.find("pHYs");
  ASSERT_NE(phys, std::string::npos);
  EXPECT_EQ((bytes[phys + 6] << 8) | bytes[phys + 7], 3780);
  EXPECT_EQ(text.substr(text.size() - 8, 4), "IEND");
}

TEST(PngFile, ReaderTakesOtherWritersColourTypesAndDropsAlpha) {
  TempFolder folder;
  // libpng writes an RGBA and a grey image; our reader must turn both into RGB.
  const std::uint8_t rgba[] = {10, 20, 30, 0, 40, 50, 60, 255};
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = 2;
  image.height = 1;
  image.format = PNG_FORMAT_RGBA;
  ASSERT_TRUE(png_image_write_to_file(&image, (folder / "rgba.png").c_str(), 0, rgba, 0, nullptr));
  Bitmap b;
  ASSERT_TRUE(test::Succeeded(ReadPngFile(folder / "rgba.png", &b)));
  EXPECT_EQ(b.pixels, (std::vector<std::uint8_t>{10, 20, 30, 40, 50, 60}));

  const std::uint8_t grey[] = {0, 128, 255};
  png_image greyImage{};
  greyImage.version = PNG_IMAGE_VERSION;
  greyImage.width = 3;
  greyImage.height = 1;
  greyImage.format = PNG_FORMAT_GRAY;
  ASSERT_TRUE(png_image_write_to_file(&greyImage, (folder / "grey.png").c_str(), 0, grey, 0, nullptr));
  ASSERT_TRUE(test::Succeeded(ReadPngFile(folder / "grey.png", &b)));
  EXPECT_EQ(b.pixels, (std::vector<std::uint8_t>{0, 0, 0, 128, 128, 128, 255, 255, 255}));
}

TEST(PngFile, DamagedOrTruncatedFileIsRefusedWithItsName) {
  TempFolder folder;
  std::string error;
  ASSERT_TRUE(test::Succeeded(WritePngFile(test::SlideLikePicture(64, 64), folder / "a.png")));
  const auto bytes = test::FileBytes(folder / "a.png");

  std::vector<std::uint8_t> flipped = bytes;
  flipped[bytes.size() / 2] ^= 0x55;  // inside the image data: its checksum fails
  const std::vector<std::vector<std::uint8_t>> damaged = {
      {bytes.begin(), bytes.begin() + bytes.size() / 2},
      {bytes.begin(), bytes.begin() + 20},
      flipped,
      {'n', 'o', 't', ' ', 'p', 'n', 'g'},
  };
  for (const auto& content : damaged) {
    test::WriteBytes(folder / "bad.png", content);
    Bitmap b(1, 1);
    EXPECT_TRUE(test::FailedWith(ReadPngFile(folder / "bad.png", &b), &error)) << content.size();
    EXPECT_NE(error.find(folder / "bad.png"), std::string::npos) << error;
    EXPECT_EQ(b.width, 1);  // untouched
  }
  Bitmap b;
  EXPECT_TRUE(test::FailedWith(ReadPngFile(folder / "missing.png", &b), &error));
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

TEST(PngFile, EmptyPictureCreatesNoFile) {
  TempFolder folder;
  std::string error;
  EXPECT_TRUE(test::FailedWith(WritePngFile(Bitmap(), folder / "a.png"), &error));
  EXPECT_NE(error.find("a.png"), std::string::npos);
  EXPECT_TRUE(folder.Names().empty());
}

}  // namespace
}  // namespace qm
