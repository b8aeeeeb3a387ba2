// The JPEG writer: its own start and stop, the raised error with the status
// of the failing step, and replacement of an existing file.

#include <gtest/gtest.h>

#include "base/Error.h"
#include "imaging/writers/GdiPlusSession.h"
#include "imaging/codecs/JpegFile.h"
#include "imaging/writers/SaveAsAny.h"
#include "imaging/writers/SaveAsJpg.h"
#include "tests/support/TempFolder.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/StatusAssertions.h"

namespace qm {
namespace {

using test::TempFolder;

/// The error SaveBitmapAsJpeg raises, or an empty description when none.
Error RaisedBy(const Bitmap* picture, const std::string& path) {
  try {
    SaveBitmapAsJpeg(picture, path, 100);
  } catch (const Error& e) {
    return e;
  }
  return Error("", -1);
}

TEST(SaveBitmapAsJpeg, WorksWithoutTheProgramWideStartAndLeavesItStopped) {
  TempFolder folder;
  const Bitmap picture = test::SlideLikePicture(96, 54);
  SaveBitmapAsJpeg(&picture, folder / "deck_Slide1.jpg", 100);
  Bitmap back;
  ASSERT_TRUE(test::Succeeded(ReadJpegFile(folder / "deck_Slide1.jpg", &back)));
  EXPECT_EQ(back.width, 96);
  EXPECT_EQ(back.height, 54);
  EXPECT_LE(test::LargestDifference(picture, back), 8);
  CLSID clsid;
  EXPECT_FALSE(FindEncoderByMime("image/jpeg", &clsid));  // stopped again
}

TEST(SaveBitmapAsJpeg, MissingFolderRaisesTheSaveStatusWithTheFileAndTheReasonAndCreatesNoFile) {
  TempFolder folder;
  const Bitmap picture(8, 8);
  const Error e = RaisedBy(&picture, folder / "missing/a.jpg");
  const std::string text = e.what();
  EXPECT_EQ(text.rfind("Cannot save the image. GDI+ Error:7 (", 0), 0u) << text;
  EXPECT_NE(text.find(folder / "missing/a.jpg"), std::string::npos) << text;
  EXPECT_NE(text.find("No such file or directory"), std::string::npos) << text;
  EXPECT_EQ(e.Number(), 5);
  EXPECT_TRUE(folder.Names().empty());
}

TEST(SaveBitmapAsJpeg, PictureThatIsNoBitmapRaisesTheCreationStatus) {
  TempFolder folder;
  const Bitmap empty;
  for (const Bitmap* picture : {static_cast<const Bitmap*>(nullptr), &empty}) {
    const Error e = RaisedBy(picture, folder / "a.jpg");
    EXPECT_STREQ(e.what(), "Cannot save the image. GDI+ Error:2");
    EXPECT_EQ(e.Number(), 5);
  }
  EXPECT_TRUE(folder.Names().empty());
}

TEST(SaveBitmapAsJpeg, ExistingFileIsReplaced) {
  TempFolder folder;
  test::WriteBytes(folder / "a.jpg", {'o', 'l', 'd'});
  const Bitmap picture = test::SlideLikePicture(30, 20);
  SaveBitmapAsJpeg(&picture, folder / "a.jpg", 100);
  Bitmap back;
  ASSERT_TRUE(test::Succeeded(ReadJpegFile(folder / "a.jpg", &back)));
  EXPECT_EQ(back.width, 30);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.jpg"});
}

TEST(SaveBitmapAsJpeg, FailureInsideTheProgramStartKeepsTheLibraryStarted) {
  GdiPlusSession imaging;
  TempFolder folder;
  ASSERT_TRUE(imaging.Start());
  const Bitmap picture(8, 8);
  EXPECT_EQ(RaisedBy(&picture, folder / "missing/a.jpg").Number(), 5);
  CLSID clsid;
  EXPECT_TRUE(FindEncoderByMime("image/png", &clsid));
  imaging.Stop();
}

}  // namespace
}  // namespace qm
