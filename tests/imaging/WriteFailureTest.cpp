// Writes that fail half-way (a full disk, a file size limit) must leave
// neither a partial file nor a temporary, and must say why.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cerrno>
#include <csignal>

#include "imaging/codecs/BmpFile.h"
#include "imaging/gdiplus/Gdiplus.h"
#include "imaging/codecs/JpegFile.h"
#include "imaging/codecs/PngFile.h"
#include "imaging/codecs/PngStreamWriter.h"
#include "tests/support/TempFolder.h"
#include "tests/imaging/TestPictures.h"

namespace qm {
namespace {

using test::TempFolder;

/// Limits the size of files this process may write, as a nearly full disk
/// would, and lifts the limit again when it goes out of scope. Writes past
/// the limit fail with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = SIG_DFL;
};

constexpr rlim_t kLimit = 4096;

TEST(WriteFailure, PngStreamThatCannotBeWrittenLeavesNothingAndSaysWhy) {
  TempFolder folder;
  test::WriteBytes(folder / "out.png", {'o', 'l', 'd'});
  const Bitmap picture = test::SlideLikePicture(400, 300);
  PngStreamWriter writer;
  Status status;
  {
    FileSizeLimit limit(kLimit);
    status = writer.Open(folder / "out.png", picture.width, picture.height);
    for (int y = 0; status.Ok() && y < picture.height; ++y) status = writer.WriteRow(picture.Row(y));
    if (status.Ok()) status = writer.Finish();
  }
  EXPECT_FALSE(status.Ok());
  EXPECT_EQ(status.SystemError(), EFBIG);
  EXPECT_NE(status.Message().find(folder / "out.png"), std::string::npos) << status.Message();
  EXPECT_NE(status.Message().find("too large"), std::string::npos) << status.Message();
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.png"});
  EXPECT_EQ(test::FileBytes(folder / "out.png").size(), 3u);  // the old file is intact
}

TEST(WriteFailure, JpegBmpAndWholePngWritersLeaveNothing) {
  TempFolder folder;
  const Bitmap picture = test::SlideLikePicture(400, 300);
  Status png, jpeg, bmp;
  {
    FileSizeLimit limit(kLimit);
    png = WritePngFile(picture, folder / "a.png");
    jpeg = WriteJpegFile(picture, folder / "a.jpg", 100);
    bmp = WriteBmpFile(picture, folder / "a.bmp");
  }
  EXPECT_FALSE(png.Ok());
  EXPECT_FALSE(jpeg.Ok());
  EXPECT_FALSE(bmp.Ok());
  EXPECT_EQ(png.SystemError(), EFBIG) << png.Message();
  EXPECT_EQ(jpeg.SystemError(), EFBIG) << jpeg.Message();
  EXPECT_EQ(bmp.SystemError(), EFBIG) << bmp.Message();
  EXPECT_NE(jpeg.Message().find("a.jpg"), std::string::npos) << jpeg.Message();
  EXPECT_TRUE(folder.Names().empty());
}

TEST(WriteFailure, SaveThroughTheInterfaceReportsAFailedSystemCall) {
  TempFolder folder;
  GdiplusStartupInput input;
  ULONG_PTR token = 0;
  ASSERT_EQ(GdiplusStartup(&token, &input, nullptr), GpStatus::Ok);
  const Bitmap picture = test::SlideLikePicture(400, 300);
  GpBitmap* image = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHBITMAP(&picture, nullptr, &image), GpStatus::Ok);
  const std::u16string path = PathToUtf16(folder / "a.png");
  GpStatus status = GpStatus::Ok;
  {
    FileSizeLimit limit(kLimit);
    status = GdipSaveImageToFile(image, path.c_str(), &kPngEncoderClsid, nullptr);
  }
  GdipDisposeImage(image);
  GdiplusShutdown(token);
  EXPECT_EQ(status, GpStatus::Win32Error);
  EXPECT_TRUE(folder.Names().empty());
}

}  // namespace
}  // namespace qm
