// Bitmap files: the exchange format between the render worker and the
// exporters, so every layout another writer may produce must read right.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imaging/codecs/BmpFile.h"
#include "tests/support/TempFolder.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/StatusAssertions.h"

namespace qm {
namespace {

using test::FileBytes;
using test::TempFolder;
using test::WriteBytes;

void Put32(std::vector<std::uint8_t>* b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

/// A hand-made bitmap file: 2 x 2 pixels, red (0,0), green (1,0), blue
/// (0,1), white (1,1) in picture order, in the given layout.
std::vector<std::uint8_t> HandMadeBmp(int bits, bool topDown, std::uint32_t compression = 0,
                                      std::uint32_t infoSize = 40) {
  const std::uint32_t bytesPerPixel = bits / 8;
  const std::uint32_t stride = (2 * bytesPerPixel + 3) & ~3u;
  const std::uint32_t masks = compression == 3 && infoSize == 40 ? 12 : 0;
  const std::uint32_t offset = 14 + infoSize + masks;
  std::vector<std::uint8_t> b(offset + stride * 2, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(&b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(&b, 10, offset);
  Put32(&b, 14, infoSize);
  Put32(&b, 18, 2);
  Put32(&b, 22, topDown ? static_cast<std::uint32_t>(-2) : 2u);
  b[26] = 1;
  b[28] = static_cast<std::uint8_t>(bits);
  Put32(&b, 30, compression);
  if (compression == 3) {  // masks as a 32-bit pixel X, B, G, R (red in the high byte)
    Put32(&b, 54, 0xFF000000);  // red
    Put32(&b, 58, 0x00FF0000);  // green
    Put32(&b, 62, 0x0000FF00);  // blue
  }
  // Picture rows: top {red, green}, bottom {blue, white}; pixel as B,G,R(,X).
  const std::uint8_t top[2][3] = {{0, 0, 255}, {0, 255, 0}};
  const std::uint8_t bottom[2][3] = {{255, 0, 0}, {255, 255, 255}};
  for (int row = 0; row < 2; ++row) {
    const bool isTop = topDown ? row == 0 : row == 1;
    const auto& pixels = isTop ? top : bottom;
    for (int x = 0; x < 2; ++x) {
      std::uint8_t* p = &b[offset + row * stride + x * bytesPerPixel];
      if (compression == 3) {  // bytes X, B, G, R with the masks above
        p[0] = 0x7F;
        p[1] = pixels[x][0];
        p[2] = pixels[x][1];
        p[3] = pixels[x][2];
      } else {
        p[0] = pixels[x][0];
        p[1] = pixels[x][1];
        p[2] = pixels[x][2];
        if (bytesPerPixel == 4) p[3] = 0x11;  // alpha, to be dropped
      }
    }
  }
  return b;
}

void ExpectCorners(const Bitmap& b) {
  ASSERT_EQ(b.width, 2);
  ASSERT_EQ(b.height, 2);
  const std::vector<std::uint8_t> expected = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  EXPECT_EQ(b.pixels, expected);
}

TEST(BmpFile, OddWidthSurvivesRowPaddingOnRoundTrip) {
  TempFolder folder;
  const Bitmap original = test::SlideLikePicture(37, 23);  // 111-byte rows, padded to 112
  ASSERT_TRUE(test::Succeeded(WriteBmpFile(original, folder / "a.bmp")));
  EXPECT_EQ(FileBytes(folder / "a.bmp").size(), 54u + 112u * 23u);
  Bitmap back;
  ASSERT_TRUE(test::Succeeded(ReadBmpFile(folder / "a.bmp", &back)));
  EXPECT_EQ(test::LargestDifference(original, back), 0);
}

TEST(BmpFile, WrittenFileIsBottomUp24BitAt96Dpi) {
  TempFolder folder;
  Bitmap b(1, 2);
  b.Row(0)[0] = 200;  // top pixel red
  ASSERT_TRUE(test::Succeeded(WriteBmpFile(b, folder / "a.bmp")));
  const auto bytes = FileBytes(folder / "a.bmp");
  ASSERT_EQ(bytes.size(), 54u + 8u);
  EXPECT_EQ(bytes[28], 24);
  EXPECT_EQ(bytes[22], 2);                          // positive height: bottom-up
  EXPECT_EQ(bytes[38] | (bytes[39] << 8), 3780);    // pixels per metre
  EXPECT_EQ(bytes[54 + 4 + 2], 200);                // second stored row is the top, R last
}

TEST(BmpFile, TopDownAndBottomUpFilesGiveTheSamePicture) {
  TempFolder folder;
  for (bool topDown : {false, true}) {
    WriteBytes(folder / "a.bmp", HandMadeBmp(24, topDown));
    Bitmap b;
    ASSERT_TRUE(test::Succeeded(ReadBmpFile(folder / "a.bmp", &b)));
    ExpectCorners(b);
  }
}

TEST(BmpFile, ThirtyTwoBitFileDropsAlpha) {
  TempFolder folder;
  for (bool topDown : {false, true}) {
    WriteBytes(folder / "a.bmp", HandMadeBmp(32, topDown));
    Bitmap b;
    ASSERT_TRUE(test::Succeeded(ReadBmpFile(folder / "a.bmp", &b)));
    ExpectCorners(b);
  }
}

TEST(BmpFile, ThirtyTwoBitWithColourMasksReadsChannelsFromTheMasks) {
  TempFolder folder;
  for (std::uint32_t infoSize : {40u, 108u}) {
    WriteBytes(folder / "a.bmp", HandMadeBmp(32, false, 3, infoSize));
    Bitmap b;
    ASSERT_TRUE(test::Succeeded(ReadBmpFile(folder / "a.bmp", &b)));
    ExpectCorners(b);
  }
}

TEST(BmpFile, TruncatedFileIsRefusedWithItsName) {
  TempFolder folder;
  std::vector<std::uint8_t> bytes = HandMadeBmp(24, false);
  for (std::size_t keep : {bytes.size() - 1, std::size_t{60}, std::size_t{30}, std::size_t{0}}) {
    WriteBytes(folder / "cut.bmp", std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + keep));
    Bitmap b;
    std::string error;
    EXPECT_TRUE(test::FailedWith(ReadBmpFile(folder / "cut.bmp", &b), &error)) << keep;
    EXPECT_NE(error.find(folder / "cut.bmp"), std::string::npos) << error;
    EXPECT_TRUE(b.Empty());
  }
}

TEST(BmpFile, InconsistentHeadersAreRefusedNotTrusted) {
  TempFolder folder;
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  };
  const Case cases[] = {
      {"pixel offset past the end", 10, 0x7FFFFFF0},
      {"huge width", 18, 0x40000000},
      {"zero height", 22, 0},
      {"8 bits per pixel", 28, 8},
      {"RLE compression", 30, 1},
      {"header size too small", 14, 12},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes = HandMadeBmp(24, false);
    if (c.at == 28) {
      bytes[28] = static_cast<std::uint8_t>(c.value);
    } else {
      Put32(&bytes, c.at, c.value);
    }
    WriteBytes(folder / "bad.bmp", bytes);
    Bitmap b;
    std::string error;
    EXPECT_TRUE(test::FailedWith(ReadBmpFile(folder / "bad.bmp", &b), &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
  WriteBytes(folder / "png.bmp", {0x89, 'P', 'N', 'G', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  Bitmap b;
  std::string error;
  EXPECT_TRUE(test::FailedWith(ReadBmpFile(folder / "png.bmp", &b), &error));
  EXPECT_NE(error.find("not a Windows bitmap"), std::string::npos) << error;
}

TEST(BmpFile, MissingFolderFailsWithoutLeavingAnything) {
  TempFolder folder;
  std::string error;
  int systemError = 0;
  EXPECT_TRUE(test::FailedWith(WriteBmpFile(Bitmap(4, 4), folder / "nowhere/a.bmp"), &error, &systemError));
  EXPECT_EQ(systemError, ENOENT);
  EXPECT_NE(error.find(folder / "nowhere/a.bmp"), std::string::npos) << error;
  EXPECT_TRUE(folder.Names().empty());
}

TEST(BmpFile, EmptyPictureIsRefusedAndCreatesNoFile) {
  TempFolder folder;
  std::string error;
  EXPECT_TRUE(test::FailedWith(WriteBmpFile(Bitmap(), folder / "a.bmp"), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(folder.Names().empty());
}

TEST(BmpFile, ExistingFileIsReplacedAndNoTemporaryRemains) {
  TempFolder folder;
  WriteBytes(folder / "a.bmp", {'o', 'l', 'd'});
  ASSERT_TRUE(test::Succeeded(WriteBmpFile(Bitmap(3, 1), folder / "a.bmp")));
  EXPECT_EQ(FileBytes(folder / "a.bmp").size(), 54u + 12u);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.bmp"});
}

}  // namespace
}  // namespace qm
