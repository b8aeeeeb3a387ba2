// JPEG files: the slides' way into the stitched image. Quality 100 must be
// near-lossless, and a damaged file must give a message, never a crash.

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>

#include <memory>
#include <vector>

#include "imaging/codecs/JpegFile.h"
#include "imaging/codecs/JpegRowReader.h"
#include "tests/support/TempFolder.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/StatusAssertions.h"

namespace qm {
namespace {

using test::TempFolder;

/// Horizontal and vertical sampling factors of the first (luma) component,
/// read with libjpeg directly; {0, 0} when the header cannot be read.
std::pair<int, int> LumaSampling(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return {0, 0};
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  const std::pair<int, int> sampling{info.comp_info[0].h_samp_factor,
                                     info.comp_info[0].v_samp_factor};
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  return sampling;
}

std::string WriteJpeg(const TempFolder& folder, const Bitmap& picture, int quality,
                      const std::string& name = "a.jpg") {
  EXPECT_TRUE(test::Succeeded(WriteJpegFile(picture, folder / name, quality)));
  return folder / name;
}

TEST(JpegFile, QualityHundredIsNearLosslessWithoutColourSubsampling) {
  TempFolder folder;
  const Bitmap picture = test::SlideLikePicture(240, 135);
  const std::string path = WriteJpeg(folder, picture, 100);
  EXPECT_EQ(LumaSampling(path), (std::pair<int, int>{1, 1}));
  Bitmap back;
  ASSERT_TRUE(test::Succeeded(ReadJpegFile(path, &back)));
  ASSERT_EQ(back.width, 240);
  ASSERT_EQ(back.height, 135);
  EXPECT_LE(test::LargestDifference(picture, back), 8);
  double sum = 0;
  for (std::size_t i = 0; i < back.pixels.size(); ++i)
    sum += std::abs(int(back.pixels[i]) - int(picture.pixels[i]));
  EXPECT_LT(sum / static_cast<double>(back.pixels.size()), 1.0);
}

TEST(JpegFile, LowerQualitySubsamplesColourAndLosesMore) {
  TempFolder folder;
  const Bitmap picture = test::SlideLikePicture(240, 135);
  const std::string best = WriteJpeg(folder, picture, 100, "best.jpg");
  const std::string usual = WriteJpeg(folder, picture, 75, "usual.jpg");
  EXPECT_EQ(LumaSampling(usual), (std::pair<int, int>{2, 2}));
  EXPECT_LT(test::FileBytes(usual).size(), test::FileBytes(best).size());
}

TEST(JpegFile, RowReaderGivesTheSameRowsAsTheWholeFileReader) {
  TempFolder folder;
  const std::string path = WriteJpeg(folder, test::SlideLikePicture(33, 17), 90);
  Bitmap whole;
  ASSERT_TRUE(test::Succeeded(ReadJpegFile(path, &whole)));
  JpegRowReader reader;
  ASSERT_TRUE(test::Succeeded(reader.Open(path)));
  ASSERT_EQ(reader.Width(), 33);
  ASSERT_EQ(reader.Height(), 17);
  std::vector<std::uint8_t> row(33 * 3);
  for (int y = 0; y < 17; ++y) {
    ASSERT_TRUE(test::Succeeded(reader.ReadRow(row.data())));
    EXPECT_TRUE(std::equal(row.begin(), row.end(), whole.Row(y))) << "row " << y;
  }
  const Status extra = reader.ReadRow(row.data());
  EXPECT_FALSE(extra.Ok());
  EXPECT_NE(extra.Message().find("all 17 rows"), std::string::npos) << extra.Message();
}

TEST(JpegRowReader, TruncatedFileGivesAMessageNamingItNotACrash) {
  TempFolder folder;
  const std::string path = WriteJpeg(folder, test::SlideLikePicture(200, 120), 100);
  const auto bytes = test::FileBytes(path);
  test::WriteBytes(folder / "cut.jpg", {bytes.begin(), bytes.begin() + bytes.size() / 2});
  JpegRowReader reader;
  ASSERT_TRUE(test::Succeeded(reader.Open(folder / "cut.jpg")));  // the header is whole
  std::vector<std::uint8_t> row(200 * 3);
  int rows = 0;
  Status status;
  while (rows < 120 && (status = reader.ReadRow(row.data())).Ok()) ++rows;
  EXPECT_LT(rows, 120);
  EXPECT_NE(status.Message().find(folder / "cut.jpg"), std::string::npos) << status.Message();
  EXPECT_NE(status.Message().find("Premature end"), std::string::npos) << status.Message();
  const Status again = reader.ReadRow(row.data());  // stays failed, same message
  EXPECT_FALSE(again.Ok());
  EXPECT_NE(again.Message().find("Premature end"), std::string::npos);
}

TEST(JpegRowReader, CorruptOrForeignFilesAreRefusedAtOpen) {
  TempFolder folder;
  const std::string path = WriteJpeg(folder, test::SlideLikePicture(40, 40), 100);
  const auto bytes = test::FileBytes(path);
  const std::vector<std::vector<std::uint8_t>> bad = {
      {},
      {0xFF, 0xD8},
      {bytes.begin(), bytes.begin() + 100},  // cut inside the tables
      {'G', 'I', 'F', '8', '9', 'a', 0, 0},
  };
  for (const auto& content : bad) {
    test::WriteBytes(folder / "bad.jpg", content);
    JpegRowReader reader;
    const Status opened = reader.Open(folder / "bad.jpg");
    EXPECT_FALSE(opened.Ok()) << content.size();
    EXPECT_NE(opened.Message().find(folder / "bad.jpg"), std::string::npos) << opened.Message();
    EXPECT_EQ(reader.Width(), 0);
  }
  JpegRowReader reader;
  const Status missing = reader.Open(folder / "missing.jpg");
  EXPECT_FALSE(missing.Ok());
  EXPECT_NE(missing.Message().find("No such file"), std::string::npos) << missing.Message();
}

TEST(JpegRowReader, DamagedImageDataIsRefusedNotPaintedGrey) {
  TempFolder folder;
  const std::string path = WriteJpeg(folder, test::SlideLikePicture(120, 80), 100);
  auto bytes = test::FileBytes(path);
  // Clobber the middle of the entropy-coded data with a stray marker.
  bytes[bytes.size() / 2] = 0xFF;
  bytes[bytes.size() / 2 + 1] = 0xD9;
  test::WriteBytes(folder / "bad.jpg", bytes);
  Bitmap b;
  std::string error;
  EXPECT_TRUE(test::FailedWith(ReadJpegFile(folder / "bad.jpg", &b), &error));
  EXPECT_NE(error.find(folder / "bad.jpg"), std::string::npos) << error;
  EXPECT_TRUE(b.Empty());
}

TEST(JpegRowReader, TwoHundredReadersStandOpenAtOnce) {
  // Stitching left to right reads row y of every slide before row y + 1.
  TempFolder folder;
  const std::string path = WriteJpeg(folder, test::SlideLikePicture(96, 54), 100);
  std::vector<std::unique_ptr<JpegRowReader>> readers;
  for (int i = 0; i < 200; ++i) {
    readers.push_back(std::make_unique<JpegRowReader>());
    ASSERT_TRUE(test::Succeeded(readers.back()->Open(path)));
  }
  std::vector<std::uint8_t> row(96 * 3);
  for (int y = 0; y < 54; ++y)
    for (auto& reader : readers) ASSERT_TRUE(test::Succeeded(reader->ReadRow(row.data())));
}

TEST(JpegFile, WriterRefusesWhatJpegCannotHoldAndLeavesNoFile) {
  TempFolder folder;
  std::string error;
  int systemError = -1;
  EXPECT_TRUE(test::FailedWith(WriteJpegFile(Bitmap(), folder / "a.jpg", 100), &error, &systemError));
  EXPECT_EQ(systemError, 0);
  EXPECT_TRUE(test::FailedWith(WriteJpegFile(Bitmap(kLargestJpegSide + 1, 1), folder / "a.jpg", 100), &error));
  EXPECT_NE(error.find("65500"), std::string::npos) << error;
  EXPECT_TRUE(test::FailedWith(WriteJpegFile(Bitmap(2, 2), folder / "a.jpg", 101), &error));
  EXPECT_TRUE(test::FailedWith(WriteJpegFile(Bitmap(2, 2), folder / "none/a.jpg", 100), &error, &systemError));
  EXPECT_EQ(systemError, ENOENT);
  EXPECT_TRUE(folder.Names().empty());
}

}  // namespace
}  // namespace qm
