// Pictures side by side, decoded band by band: a band shorter than the
// pictures must give exactly the rows one whole band gives, and no file
// may stay open.

#include <gtest/gtest.h>

#include <filesystem>

#include <dirent.h>

#include "imaging/codecs/JpegFile.h"
#include "imaging/stitch/SideBySideRows.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/TempFolder.h"
#include "tests/support/StatusAssertions.h"

using namespace qm;

namespace {

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir)) ++count;
    closedir(dir);
  }
  return count;
}

/// Every row of the canvas, one after the other.
std::vector<std::uint8_t> AllRows(SideBySideRows rows, int width, int height) {
  std::vector<std::uint8_t> canvas;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = nullptr;
    const Status status = rows.NextRow(&row);
    EXPECT_TRUE(status.Ok()) << status.Message();
    if (!status.Ok()) return {};
    canvas.insert(canvas.end(), row, row + std::size_t(width) * 3);
  }
  return canvas;
}

class SideBySide : public ::testing::Test {
 protected:
  void SetUp() override {
    // Colour subsampled (quality 75) and not (100), tall and short, so
    // passing over rows meets upsampling context and pictures that end early.
    const int sizes[][2] = {{37, 50}, {20, 70}, {33, 41}, {16, 9}};
    int x = 0;
    for (int i = 0; i < 4; ++i) {
      const Bitmap picture = test::SlideLikePicture(sizes[i][0], sizes[i][1], i + 1);
      const std::string path = folder_ / ("p" + std::to_string(i) + ".jpg");
      ASSERT_TRUE(test::Succeeded(WriteJpegFile(picture, path, i % 2 ? 100 : 75)));
      pictures_.push_back({path, x, 0, picture.width, picture.height});
      x += picture.width;
      height_ = std::max(height_, picture.height);
    }
    width_ = x;
  }

  test::TempFolder folder_;
  std::vector<PlacedPicture> pictures_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace

TEST_F(SideBySide, BandsShorterThanThePicturesGiveTheRowsOfOneWholeBand) {
  const int before = OpenDescriptors();
  const auto whole = AllRows(SideBySideRows(pictures_, width_, height_, Rgb::Grey(255)), width_, height_);
  ASSERT_EQ(whole.size(), std::size_t(width_) * height_ * 3);

  // The whole band matches each picture decoded on its own, background below.
  for (const PlacedPicture& p : pictures_) {
    Bitmap alone;
    ASSERT_TRUE(test::Succeeded(ReadJpegFile(p.path, &alone)));
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < p.width; ++x)
        for (int c = 0; c < 3; ++c) {
          const std::uint8_t want = y < p.height ? alone.Row(y)[x * 3 + c] : 255;
          ASSERT_EQ(whole[(std::size_t(y) * width_ + p.x + x) * 3 + c], want)
              << p.path << " at " << x << "," << y;
        }
  }

  const std::size_t rowBytes = std::size_t(width_) * 3;
  for (std::size_t bandBytes : {rowBytes, rowBytes * 7, rowBytes * 16, rowBytes * 33}) {
    SideBySideRows banded(pictures_, width_, height_, Rgb::Grey(255), bandBytes);
    EXPECT_LT(banded.BandRows(), height_);
    EXPECT_EQ(AllRows(std::move(banded), width_, height_), whole) << "band of " << bandBytes / rowBytes;
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(SideBySide, EachPictureIsDecodedOnceHoweverManyBandsTheCanvasTakes) {
  // Decoding every picture again for every band (passing over the rows above
  // it each time) made wide joins grow with the square of the slide count.
  const auto whole = AllRows(SideBySideRows(pictures_, width_, height_, Rgb::Grey(255)), width_, height_);
  const std::size_t rowBytes = std::size_t(width_) * 3;
  SideBySideRows banded(pictures_, width_, height_, Rgb::Grey(255), rowBytes, folder_.Path());
  ASSERT_TRUE(banded.UsesScratch());
  std::vector<std::uint8_t> rows;
  const std::uint8_t* row = nullptr;
  ASSERT_TRUE(banded.NextRow(&row).Ok());
  rows.insert(rows.end(), row, row + rowBytes);
  // Every later band comes without reading a picture again.
  for (const PlacedPicture& p : pictures_) std::remove(p.path.c_str());
  for (int y = 1; y < height_; ++y) {
    ASSERT_TRUE(banded.NextRow(&row).Ok()) << "row " << y;
    rows.insert(rows.end(), row, row + rowBytes);
  }
  EXPECT_EQ(rows, whole);
  // The scratch file has no name: nothing is left in the folder.
  EXPECT_TRUE(std::filesystem::is_empty(folder_.Path()));
}

TEST_F(SideBySide, PictureThatCannotBeReadFailsNamingIt) {
  const std::size_t rowBytes = std::size_t(width_) * 3;
  SideBySideRows rows(pictures_, width_, height_, Rgb::Grey(255), rowBytes * 16);
  std::remove(pictures_[1].path.c_str());
  const std::uint8_t* row = nullptr;
  const Status status = rows.NextRow(&row);
  ASSERT_FALSE(status.Ok());
  EXPECT_NE(status.Message().find(pictures_[1].path), std::string::npos) << status.Message();
  EXPECT_FALSE(rows.NextRow(&row).Ok());
}
