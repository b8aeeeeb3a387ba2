// The GDI+-style interface: start and stop counting, the encoder table the
// PNG writer walks, identifiers, statuses and path texts.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "imaging/codecs/BmpFile.h"
#include "imaging/gdiplus/Gdiplus.h"
#include "tests/support/TempFolder.h"
#include "tests/imaging/TestPictures.h"
#include "tests/support/StatusAssertions.h"

namespace qm {
namespace {

using test::TempFolder;

bool LibraryStarted() {
  UINT count = 0, size = 0;
  return GdipGetImageEncodersSize(&count, &size) == GpStatus::Ok;
}

/// Starts the library for one test and stops it again.
class Started {
 public:
  Started() {
    GdiplusStartupInput input;
    EXPECT_EQ(GdiplusStartup(&token_, &input, nullptr), GpStatus::Ok);
  }
  ~Started() { GdiplusShutdown(token_); }

 private:
  ULONG_PTR token_ = 0;
};

TEST(GdiplusStartup, NestedStartsKeepItUsableUntilTheLastStop) {
  ASSERT_FALSE(LibraryStarted());
  GdiplusStartupInput input;
  ULONG_PTR outer = 0, inner = 0;
  ASSERT_EQ(GdiplusStartup(&outer, &input, nullptr), GpStatus::Ok);
  ASSERT_EQ(GdiplusStartup(&inner, &input, nullptr), GpStatus::Ok);
  EXPECT_NE(outer, 0u);
  EXPECT_NE(outer, inner);
  GdiplusShutdown(inner);
  EXPECT_TRUE(LibraryStarted());
  GdiplusShutdown(outer);
  EXPECT_FALSE(LibraryStarted());
}

TEST(GdiplusStartup, StrayOrRepeatedStopCannotEndAnotherStart) {
  GdiplusStartupInput input;
  ULONG_PTR first = 0, second = 0;
  ASSERT_EQ(GdiplusStartup(&first, &input, nullptr), GpStatus::Ok);
  GdiplusShutdown(first);
  ASSERT_EQ(GdiplusStartup(&second, &input, nullptr), GpStatus::Ok);
  GdiplusShutdown(first);  // already stopped
  GdiplusShutdown(0);
  GdiplusShutdown(second + 1000);
  EXPECT_TRUE(LibraryStarted());
  GdiplusShutdown(second);
  EXPECT_FALSE(LibraryStarted());
}

TEST(GdiplusStartup, BadInputStartsNothing) {
  ULONG_PTR token = 99;
  EXPECT_EQ(GdiplusStartup(&token, nullptr, nullptr), GpStatus::InvalidParameter);
  EXPECT_EQ(token, 0u);
  GdiplusStartupInput input;
  input.GdiplusVersion = 3;
  EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), GpStatus::UnsupportedGdiplusVersion);
  EXPECT_EQ(GdiplusStartup(nullptr, &input, nullptr), GpStatus::InvalidParameter);
  EXPECT_FALSE(LibraryStarted());
}

TEST(GdiplusStartup, CallsBeforeStartFailAndDisposeStillFrees) {
  ASSERT_FALSE(LibraryStarted());
  UINT count = 7, size = 7;
  EXPECT_EQ(GdipGetImageEncodersSize(&count, &size), GpStatus::GdiplusNotInitialized);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(size, 0u);
  Bitmap b(2, 2);
  GpBitmap* image = reinterpret_cast<GpBitmap*>(&b);  // must be overwritten
  EXPECT_EQ(GdipCreateBitmapFromHBITMAP(&b, nullptr, &image), GpStatus::GdiplusNotInitialized);
  EXPECT_EQ(image, nullptr);

  GpBitmap* kept = nullptr;
  {
    Started started;
    ASSERT_EQ(GdipCreateBitmapFromHBITMAP(&b, nullptr, &kept), GpStatus::Ok);
  }
  TempFolder folder;
  const std::u16string path = PathToUtf16(folder / "a.png");
  EXPECT_EQ(GdipSaveImageToFile(kept, path.c_str(), &kPngEncoderClsid, nullptr),
            GpStatus::GdiplusNotInitialized);
  EXPECT_EQ(GdipDisposeImage(kept), GpStatus::Ok);
  EXPECT_TRUE(folder.Names().empty());
}

TEST(GdipCreateBitmapFromHBITMAP, RefusesMissingEmptyOrInconsistentBitmaps) {
  Started started;
  GpBitmap* image = nullptr;
  EXPECT_EQ(GdipCreateBitmapFromHBITMAP(nullptr, nullptr, &image), GpStatus::InvalidParameter);
  Bitmap empty;
  EXPECT_EQ(GdipCreateBitmapFromHBITMAP(&empty, nullptr, &image), GpStatus::InvalidParameter);
  // Says 10 x 10, holds 10 bytes. (Made so, not shrunk from a whole
  // bitmap: GCC 14 warns about a shrinking resize it cannot see through.)
  Bitmap lying;
  lying.width = lying.height = 10;
  lying.pixels.assign(10, 0);
  EXPECT_EQ(GdipCreateBitmapFromHBITMAP(&lying, nullptr, &image), GpStatus::InvalidParameter);
  Bitmap fine(1, 1);
  int palette = 0;
  EXPECT_EQ(GdipCreateBitmapFromHBITMAP(&fine, &palette, &image), GpStatus::InvalidParameter);
  EXPECT_EQ(image, nullptr);
}

TEST(GdipCreateBitmapFromHBITMAP, ImageKeepsItsOwnCopyOfThePixels) {
  Started started;
  TempFolder folder;
  Bitmap source = test::SlideLikePicture(8, 6);
  const Bitmap original = source;
  GpBitmap* image = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHBITMAP(&source, nullptr, &image), GpStatus::Ok);
  source = Bitmap(1, 1);  // the caller's bitmap changes after creation
  const std::u16string path = PathToUtf16(folder / "a.bmp");
  ASSERT_EQ(GdipSaveImageToFile(image, path.c_str(), &kBmpEncoderClsid, nullptr), GpStatus::Ok);
  GdipDisposeImage(image);
  Bitmap back;
  ASSERT_TRUE(test::Succeeded(ReadBmpFile(folder / "a.bmp", &back)));
  EXPECT_EQ(test::LargestDifference(original, back), 0);
}

TEST(GdipGetImageEncoders, TableListsBmpJpegPngWithTheirIdentifiersAndTextsInTheBlock) {
  Started started;
  UINT count = 0, size = 0;
  ASSERT_EQ(GdipGetImageEncodersSize(&count, &size), GpStatus::Ok);
  ASSERT_EQ(count, 3u);
  ASSERT_GT(size, count * sizeof(ImageCodecInfo));
  // An odd start: the block need not be aligned for the records.
  std::vector<BYTE> storage(size + 1);
  BYTE* block = storage.data() + 1;
  ASSERT_EQ(GdipGetImageEncoders(count, size, reinterpret_cast<ImageCodecInfo*>(block)),
            GpStatus::Ok);
  std::vector<ImageCodecInfo> records(count);
  std::memcpy(records.data(), block, count * sizeof(ImageCodecInfo));

  const CLSID* clsids[] = {&kBmpEncoderClsid, &kJpegEncoderClsid, &kPngEncoderClsid};
  const char* mimes[] = {"image/bmp", "image/jpeg", "image/png"};
  const BYTE firstSignatureBytes[] = {'B', 0xFF, 0x89};
  for (UINT i = 0; i < count; ++i) {
    const ImageCodecInfo& r = records[i];
    EXPECT_EQ(r.Clsid, *clsids[i]);
    for (const void* text : {static_cast<const void*>(r.MimeType),
                             static_cast<const void*>(r.CodecName),
                             static_cast<const void*>(r.FilenameExtension),
                             static_cast<const void*>(r.SigPattern)}) {
      const BYTE* at = static_cast<const BYTE*>(text);
      EXPECT_GE(at, block + count * sizeof(ImageCodecInfo));
      EXPECT_LT(at, block + size);
    }
    EXPECT_EQ(Utf16ToPath(r.MimeType), mimes[i]);
    EXPECT_TRUE(r.Flags & ImageCodecFlagsEncoder);
    ASSERT_EQ(r.SigCount, 1u);
    EXPECT_EQ(r.SigPattern[0], firstSignatureBytes[i]);
  }
  EXPECT_EQ(GuidToString(records[2].Clsid), "{557CF406-1A04-11D3-9A73-0000F81EF32E}");
}

TEST(GdipGetImageEncoders, WrongCountOrSizeWritesNothing) {
  Started started;
  UINT count = 0, size = 0;
  ASSERT_EQ(GdipGetImageEncodersSize(&count, &size), GpStatus::Ok);
  std::vector<BYTE> block(size + 16, 0xAB);
  auto* records = reinterpret_cast<ImageCodecInfo*>(block.data());
  EXPECT_EQ(GdipGetImageEncoders(count, size - 1, records), GpStatus::InvalidParameter);
  EXPECT_EQ(GdipGetImageEncoders(count + 1, size, records), GpStatus::InvalidParameter);
  EXPECT_EQ(GdipGetImageEncoders(count, size, nullptr), GpStatus::InvalidParameter);
  for (BYTE b : block) ASSERT_EQ(b, 0xAB);
}

TEST(GdipSaveImageToFile, UnknownEncoderOrBadQualityCreatesNoFile) {
  Started started;
  TempFolder folder;
  Bitmap b(4, 4);
  GpBitmap* image = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHBITMAP(&b, nullptr, &image), GpStatus::Ok);
  const std::u16string path = PathToUtf16(folder / "a.img");
  EXPECT_EQ(GdipSaveImageToFile(image, path.c_str(), &kEncoderQuality, nullptr),
            GpStatus::UnknownImageFormat);

  ULONG quality = 101;
  EncoderParameters params;
  params.Count = 1;
  params.Parameter[0].Guid = kEncoderQuality;
  params.Parameter[0].NumberOfValues = 1;
  params.Parameter[0].Type = EncoderParameterValueTypeLong;
  params.Parameter[0].Value = &quality;
  EXPECT_EQ(GdipSaveImageToFile(image, path.c_str(), &kJpegEncoderClsid, &params),
            GpStatus::InvalidParameter);
  quality = 90;
  params.Parameter[0].Type = 3;  // 16-bit values: not what the quality takes
  EXPECT_EQ(GdipSaveImageToFile(image, path.c_str(), &kJpegEncoderClsid, &params),
            GpStatus::InvalidParameter);
  EXPECT_EQ(GdipSaveImageToFile(image, u"", &kPngEncoderClsid, nullptr), GpStatus::InvalidParameter);
  EXPECT_TRUE(folder.Names().empty());

  params.Parameter[0].Type = EncoderParameterValueTypeLong;
  EXPECT_EQ(GdipSaveImageToFile(image, path.c_str(), &kJpegEncoderClsid, &params), GpStatus::Ok);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.img"});
  GdipDisposeImage(image);
}

TEST(GdipSaveImageToFile, FileSystemFailuresGiveTheirStatus) {
  Started started;
  TempFolder folder;
  Bitmap b(4, 4);
  GpBitmap* image = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHBITMAP(&b, nullptr, &image), GpStatus::Ok);
  const std::u16string missing = PathToUtf16(folder / "no/such/a.png");
  EXPECT_EQ(GdipSaveImageToFile(image, missing.c_str(), &kPngEncoderClsid, nullptr),
            GpStatus::Win32Error);
  test::WriteBytes(folder / "file", {1});
  const std::u16string underFile = PathToUtf16(folder / "file/a.png");
  EXPECT_EQ(GdipSaveImageToFile(image, underFile.c_str(), &kPngEncoderClsid, nullptr),
            GpStatus::Win32Error);
  GdipDisposeImage(image);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"file"});
}

TEST(StatusFromErrno, MapsPermissionMemoryAndMissingFolders) {
  EXPECT_EQ(StatusFromErrno(EACCES), GpStatus::AccessDenied);
  EXPECT_EQ(StatusFromErrno(EROFS), GpStatus::AccessDenied);
  EXPECT_EQ(StatusFromErrno(ENOMEM), GpStatus::OutOfMemory);
  EXPECT_EQ(StatusFromErrno(ENOENT), GpStatus::Win32Error);
  EXPECT_EQ(StatusFromErrno(ENOSPC), GpStatus::Win32Error);
  EXPECT_EQ(StatusFromErrno(0), GpStatus::GenericError);
  EXPECT_EQ(StatusNumber(GpStatus::Win32Error), 7);
  EXPECT_EQ(StatusNumber(GpStatus::UnknownImageFormat), 13);
}

TEST(CLSIDFromString, ParsesBracedGuidsInEitherCase) {
  CLSID clsid;
  ASSERT_EQ(CLSIDFromString(u"{557CF401-1A04-11D3-9A73-0000F81EF32E}", &clsid), NOERROR);
  EXPECT_EQ(clsid, kJpegEncoderClsid);
  EXPECT_EQ(clsid.Data1, 0x557CF401u);
  EXPECT_EQ(clsid.Data4[0], 0x9A);
  EXPECT_EQ(clsid.Data4[7], 0x2E);
  ASSERT_EQ(CLSIDFromString(u"{1d5be4b5-fa4a-452d-9cdd-5db35105e7eb}", &clsid), NOERROR);
  EXPECT_EQ(clsid, kEncoderQuality);
}

TEST(CLSIDFromString, RejectsMalformedTextAndClearsTheResult) {
  const char16_t* bad[] = {
      u"",
      u"557CF401-1A04-11D3-9A73-0000F81EF32E",    // no braces
      u"{557CF401-1A04-11D3-9A73-0000F81EF32E",   // cut short
      u"{557CF401-1A04-11D3-9A730000F81EF32E}",   // missing hyphen
      u"{557CF401-1A04-11D3-9A73-0000F81EF32G}",  // not hex
      u"{557CF401-1A04-11D3-9A73-0000F81EF32E}x", // trailing text
      u"PowerPoint.Application",
  };
  for (const char16_t* text : bad) {
    CLSID clsid = kPngEncoderClsid;
    EXPECT_EQ(CLSIDFromString(text, &clsid), CO_E_CLASSSTRING) << Utf16ToPath(text);
    EXPECT_EQ(clsid, CLSID{});
  }
  EXPECT_EQ(CLSIDFromString(nullptr, nullptr), CO_E_CLASSSTRING);
}

TEST(Utf16Path, EveryLinuxNameSurvivesTheRoundTrip) {
  const std::string names[] = {
      "/tmp/plain.png",
      "/tmp/Ünïcødé €.png",
      "/tmp/emoji \xF0\x9F\x98\x80.png",          // outside the basic plane
      "/tmp/latin1 \xE9t\xE9.png",                 // not UTF-8: raw bytes
      "/tmp/cut \xE2\x82.png",                     // a sequence cut short
      "/tmp/overlong \xC0\xAF and surrogate \xED\xA0\x80.png",
  };
  for (const std::string& name : names) EXPECT_EQ(Utf16ToPath(PathToUtf16(name).c_str()), name);
  EXPECT_EQ(PathToUtf16("\xF0\x9F\x98\x80"), std::u16string(u"\U0001F600"));
  EXPECT_EQ(PathToUtf16("a\xE9"), std::u16string(u"a\xDCE9"));
}

TEST(Utf16Path, LoneSurrogatesThatAreNoEscapedByteBecomeReplacementCharacters) {
  const char16_t text[] = {u'a', 0xD800, u'b', 0xDC10, 0};
  EXPECT_EQ(Utf16ToPath(text), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToPath(nullptr), "");
}

}  // namespace
}  // namespace qm
