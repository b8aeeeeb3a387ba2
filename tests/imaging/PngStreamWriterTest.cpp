// Row-by-row PNG writing for the stitched image: same pixels as the whole
// image writer, nothing half-written ever visible, nothing left behind.

#include <gtest/gtest.h>

#include <cerrno>

#include "imaging/codecs/PngFile.h"
#include "imaging/codecs/PngStreamWriter.h"
#include "tests/support/PngTestReader.h"
#include "tests/support/TempFolder.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/StatusAssertions.h"

namespace qm {
namespace {

using test::TempFolder;

Status WriteAllRows(PngStreamWriter* writer, const Bitmap& picture) {
  Status status;
  for (int y = 0; status.Ok() && y < picture.height; ++y) status = writer->WriteRow(picture.Row(y));
  return status;
}

TEST(PngStreamWriter, StreamedFileDecodesToTheSamePixelsAsTheWholeImageWriter) {
  TempFolder folder;
  const Bitmap picture = test::SlideLikePicture(200, 150, 3);
  PngStreamWriter writer;
  ASSERT_TRUE(test::Succeeded(writer.Open(folder / "stream.png", picture.width, picture.height)));
  ASSERT_TRUE(test::Succeeded(WriteAllRows(&writer, picture)));
  ASSERT_TRUE(test::Succeeded(writer.Finish()));
  ASSERT_TRUE(test::Succeeded(WritePngFile(picture, folder / "whole.png")));

  const test::RgbImage streamed = test::ReadPng(folder / "stream.png");
  const test::RgbImage whole = test::ReadPng(folder / "whole.png");
  ASSERT_EQ(streamed.width, 200);
  ASSERT_EQ(streamed.height, 150);
  EXPECT_EQ(streamed.rgb, whole.rgb);
  EXPECT_EQ(streamed.rgb, picture.pixels);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"stream.png", "whole.png"}));
}

TEST(PngStreamWriter, OldFileStaysUntilFinishThenIsReplaced) {
  TempFolder folder;
  test::WriteBytes(folder / "out.png", {'o', 'l', 'd'});
  const Bitmap picture = test::SlideLikePicture(20, 10);
  PngStreamWriter writer;
  ASSERT_TRUE(writer.Open(folder / "out.png", 20, 10).Ok());
  ASSERT_TRUE(test::Succeeded(WriteAllRows(&writer, picture)));
  EXPECT_EQ(test::FileBytes(folder / "out.png").size(), 3u);
  EXPECT_EQ(folder.Names().size(), 2u);  // the old file and a hidden temporary
  ASSERT_TRUE(test::Succeeded(writer.Finish()));
  EXPECT_EQ(test::ReadPng(folder / "out.png").rgb, picture.pixels);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.png"});
}

TEST(PngStreamWriter, AbandonedWriterLeavesNoFileAndNoTemporary) {
  TempFolder folder;
  const Bitmap picture = test::SlideLikePicture(20, 10);
  {
    PngStreamWriter writer;
    ASSERT_TRUE(writer.Open(folder / "a.png", 20, 10).Ok());
    ASSERT_TRUE(writer.WriteRow(picture.Row(0)).Ok());
  }  // destroyed half-way
  PngStreamWriter writer;
  ASSERT_TRUE(writer.Open(folder / "b.png", 20, 10).Ok());
  writer.Abandon();
  EXPECT_TRUE(folder.Names().empty());
}

TEST(PngStreamWriter, TooFewRowsFailsAtFinishAndWritesNothing) {
  TempFolder folder;
  const Bitmap picture = test::SlideLikePicture(20, 10);
  PngStreamWriter writer;
  ASSERT_TRUE(writer.Open(folder / "a.png", 20, 10).Ok());
  for (int y = 0; y < 9; ++y) ASSERT_TRUE(writer.WriteRow(picture.Row(y)).Ok());
  const Status finished = writer.Finish();
  EXPECT_FALSE(finished.Ok());
  EXPECT_NE(finished.Message().find("9 of 10 rows"), std::string::npos) << finished.Message();
  EXPECT_NE(finished.Message().find(folder / "a.png"), std::string::npos);
  EXPECT_TRUE(folder.Names().empty());
}

TEST(PngStreamWriter, RowBeyondTheLastIsRefusedAndWritesNothing) {
  TempFolder folder;
  const Bitmap picture = test::SlideLikePicture(20, 2);
  PngStreamWriter writer;
  ASSERT_TRUE(writer.Open(folder / "a.png", 20, 2).Ok());
  ASSERT_TRUE(test::Succeeded(WriteAllRows(&writer, picture)));
  EXPECT_FALSE(writer.WriteRow(picture.Row(0)).Ok());
  EXPECT_FALSE(writer.Finish().Ok());  // a failed writer stays failed
  EXPECT_TRUE(folder.Names().empty());
}

TEST(PngStreamWriter, MissingFolderNamesTheFileAndTheReason) {
  TempFolder folder;
  PngStreamWriter writer;
  const Status opened = writer.Open(folder / "missing/a.png", 10, 10);
  EXPECT_FALSE(opened.Ok());
  EXPECT_EQ(opened.SystemError(), ENOENT);
  EXPECT_NE(opened.Message().find(folder / "missing/a.png"), std::string::npos) << opened.Message();
  EXPECT_NE(opened.Message().find("No such file or directory"), std::string::npos);
  std::vector<std::uint8_t> row(30);
  EXPECT_FALSE(writer.WriteRow(row.data()).Ok());
  EXPECT_TRUE(folder.Names().empty());
}

TEST(PngStreamWriter, ImpossibleSizesAreRefusedWithoutAFile) {
  TempFolder folder;
  PngStreamWriter writer;
  const Status opened = writer.Open(folder / "a.png", 0, 10);
  EXPECT_FALSE(opened.Ok());
  EXPECT_NE(opened.Message().find("0 x 10"), std::string::npos) << opened.Message();
  EXPECT_FALSE(writer.Open(folder / "a.png", 10, -1).Ok());
  EXPECT_TRUE(folder.Names().empty());
}

TEST(PngStreamWriter, WriterCanBeReusedForAnotherFile) {
  TempFolder folder;
  const Bitmap first = test::SlideLikePicture(8, 4, 1);
  const Bitmap second = test::SlideLikePicture(5, 9, 2);
  PngStreamWriter writer;
  ASSERT_FALSE(writer.Open(folder / "missing/x.png", 8, 4).Ok());
  ASSERT_TRUE(test::Succeeded(writer.Open(folder / "1.png", 8, 4)));
  ASSERT_TRUE(test::Succeeded(WriteAllRows(&writer, first)));
  ASSERT_TRUE(test::Succeeded(writer.Finish()));
  ASSERT_TRUE(test::Succeeded(writer.Open(folder / "2.png", 5, 9)));
  ASSERT_TRUE(test::Succeeded(WriteAllRows(&writer, second)));
  ASSERT_TRUE(test::Succeeded(writer.Finish()));
  EXPECT_EQ(test::ReadPng(folder / "1.png").rgb, first.pixels);
  EXPECT_EQ(test::ReadPng(folder / "2.png").rgb, second.pixels);
}

}  // namespace
}  // namespace qm
