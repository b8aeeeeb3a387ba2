// The program's PNG writer: encoder lookup by MIME type, the false result
// for every failure (with no file), replacement, and the program-wide start.

#include <gtest/gtest.h>

#include <unistd.h>

#include "tests/support/PngTestReader.h"
#include "imaging/writers/GdiPlusSession.h"
#include "imaging/writers/SaveAsAny.h"
#include "imaging/writers/SaveAsJpg.h"
#include "tests/support/TempFolder.h"
#include "tests/imaging/TestPictures.h"

namespace qm {
namespace {

using test::TempFolder;

/// Starts the library for the whole program during one test.
class SaveAsAnyTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(imaging_.Start()); }
  void TearDown() override { imaging_.Stop(); }
  GdiPlusSession imaging_;
  TempFolder folder_;
};

TEST_F(SaveAsAnyTest, MimeTypeInAnyCaseSelectsThePngEncoder) {
  for (const char* mime : {"image/png", "IMAGE/PNG", "Image/Png", "iMaGe/pNg"}) {
    CLSID clsid;
    ASSERT_TRUE(FindEncoderByMime(mime, &clsid)) << mime;
    EXPECT_EQ(clsid, kPngEncoderClsid) << mime;
  }
  CLSID clsid;
  ASSERT_TRUE(FindEncoderByMime("image/JPEG", &clsid));
  EXPECT_EQ(clsid, kJpegEncoderClsid);
  ASSERT_TRUE(FindEncoderByMime("image/bmp", &clsid));
  EXPECT_EQ(clsid, kBmpEncoderClsid);
}

TEST_F(SaveAsAnyTest, UnknownOrPartialMimeTypeFindsNothingAndLeavesTheClsid) {
  for (const char* mime : {"image/gif", "image/pn", "image/png ", "png", ""}) {
    CLSID clsid = kEncoderQuality;
    EXPECT_FALSE(FindEncoderByMime(mime, &clsid)) << mime;
    EXPECT_EQ(clsid, kEncoderQuality);
  }
}

TEST_F(SaveAsAnyTest, WrittenFileIsAPngOfTheBitmapsSizeAndPixels) {
  const Bitmap picture = test::SlideLikePicture(96, 54);
  ASSERT_TRUE(SaveBitmapByMime(&picture, folder_ / "deck_Slide1.png", "IMAGE/png"));
  const test::RgbImage decoded = test::ReadPng(folder_ / "deck_Slide1.png");
  EXPECT_EQ(decoded.width, 96);
  EXPECT_EQ(decoded.height, 54);
  EXPECT_EQ(decoded.rgb, picture.pixels);
}

TEST_F(SaveAsAnyTest, UnknownMimeTypeReturnsFalseAndCreatesNoFile) {
  const Bitmap picture(4, 4);
  EXPECT_FALSE(SaveBitmapByMime(&picture, folder_ / "a.png", "image/gif"));
  EXPECT_TRUE(folder_.Names().empty());
}

TEST_F(SaveAsAnyTest, NullOrEmptyBitmapReturnsFalseAndCreatesNoFile) {
  EXPECT_FALSE(SaveBitmapByMime(nullptr, folder_ / "a.png", "image/png"));
  const Bitmap empty;
  EXPECT_FALSE(SaveBitmapByMime(&empty, folder_ / "a.png", "image/png"));
  EXPECT_TRUE(folder_.Names().empty());
}

TEST_F(SaveAsAnyTest, FolderThatDoesNotExistReturnsFalseAndCreatesNoFile) {
  const Bitmap picture(4, 4);
  std::string why;
  EXPECT_FALSE(SaveBitmapByMime(&picture, folder_ / "missing/a.png", "image/png", &why));
  EXPECT_TRUE(folder_.Names().empty());
  // The words travel with the call, not through a channel another save may overwrite.
  EXPECT_NE(why.find("missing/a.png"), std::string::npos) << why;
  EXPECT_TRUE(SaveBitmapByMime(&picture, folder_ / "a.png", "image/png", &why));
  EXPECT_TRUE(why.empty()) << why;
}

TEST_F(SaveAsAnyTest, ReadOnlyFolderReturnsFalseAndCreatesNoFile) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  ::chmod(folder_.Path().c_str(), 0500);
  const Bitmap picture(4, 4);
  EXPECT_FALSE(SaveBitmapByMime(&picture, folder_ / "a.png", "image/png"));
  ::chmod(folder_.Path().c_str(), 0700);
  EXPECT_TRUE(folder_.Names().empty());
}

TEST_F(SaveAsAnyTest, SavingTwiceLeavesOneFileFromTheSecondCall) {
  const Bitmap first = test::SlideLikePicture(30, 20, 1);
  const Bitmap second = test::SlideLikePicture(20, 30, 2);
  ASSERT_TRUE(SaveBitmapByMime(&first, folder_ / "a.png", "image/png"));
  ASSERT_TRUE(SaveBitmapByMime(&second, folder_ / "a.png", "image/png"));
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{"a.png"});
  EXPECT_EQ(test::ReadPng(folder_ / "a.png").rgb, second.pixels);
}

TEST_F(SaveAsAnyTest, NameThatIsNotUtf8IsWrittenUnderExactlyThatName) {
  const Bitmap picture(2, 2);
  const std::string name = "caf\xE9.png";  // Latin-1 bytes
  ASSERT_TRUE(SaveBitmapByMime(&picture, folder_ / name, "image/png"));
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{name});
}

TEST_F(SaveAsAnyTest, JpegWritersOwnStartAndStopNestInsideTheProgramStart) {
  const Bitmap picture(8, 8);
  SaveBitmapAsJpeg(&picture, folder_ / "a.jpg", 100);
  // Still started: the JPEG writer's stop ended only its own start.
  EXPECT_TRUE(SaveBitmapByMime(&picture, folder_ / "a.png", "image/png"));
}

TEST(SaveAsAnyLifecycle, WriterNeverStartsTheLibraryItself) {
  TempFolder folder;
  const Bitmap picture(4, 4);
  CLSID clsid;
  EXPECT_FALSE(FindEncoderByMime("image/png", &clsid));
  EXPECT_FALSE(SaveBitmapByMime(&picture, folder / "a.png", "image/png"));
  EXPECT_TRUE(folder.Names().empty());
}

TEST(SaveAsAnyLifecycle, StartTwiceThenStopLeavesItStoppedAndStopAloneIsHarmless) {
  GdiPlusSession imaging;
  imaging.Stop();  // nothing started: does nothing
  ASSERT_TRUE(imaging.Start());
  ASSERT_TRUE(imaging.Start());
  CLSID clsid;
  EXPECT_TRUE(FindEncoderByMime("image/png", &clsid));
  imaging.Stop();
  EXPECT_FALSE(FindEncoderByMime("image/png", &clsid));
  imaging.Stop();
}

TEST(WideTextFromPointer, ReadsUpToTheFirstNul) {
  const char16_t text[] = {u'i', u'm', u'a', u'g', u'e', u'/', u'p', u'n', u'g', 0, u'x', 0};
  EXPECT_EQ(WideTextFromPointer(text), "image/png");
  EXPECT_EQ(WideTextFromPointer(u""), "");
  EXPECT_EQ(WideTextFromPointer(u"\u00e9t\u00e9"), "\xC3\xA9t\xC3\xA9");
}

}  // namespace
}  // namespace qm
