#include "imaging/writers/SaveAsAny.h"

#include <cstring>
#include <memory>
#include <vector>

namespace qm {

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

bool SaveBitmapByMime(const Bitmap* bitmap, const std::string& path, const std::string& mime,
                      std::string* why) {
  bool result = false;
  if (why != nullptr) why->clear();
  GpBitmap* image = nullptr;
  if (GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) != GpStatus::Ok) return false;
  CLSID clsid;
  if (FindEncoderByMime(mime, &clsid)) {
    const std::u16string widePath = PathToUtf16(path);
    result = GdipSaveImageToFile(image, widePath.c_str(), &clsid, nullptr) == GpStatus::Ok;
    if (!result && why != nullptr) *why = image->SaveFailure();
  }
  GdipDisposeImage(image);
  return result;
}

bool FindEncoderByMime(const std::string& mime, CLSID* clsid) {
  UINT count = 0;
  UINT size = 0;
  GdipGetImageEncodersSize(&count, &size);  // status not needed: size 0 says it all
  if (size == 0) return false;

  // One spare element each, never used.
  std::vector<ImageCodecInfo> records(count + 1);
  std::vector<BYTE> block(static_cast<std::size_t>(size) + 1);
  GdipGetImageEncoders(count, size, reinterpret_cast<ImageCodecInfo*>(block.data()));
  std::memcpy(records.data(), block.data(), count * sizeof(ImageCodecInfo));

  for (UINT i = 0; i < count; ++i) {
    // The texts lie in `block`, which is still alive here.
    if (EqualIgnoringCase(WideTextFromPointer(records[i].MimeType), mime)) {
      *clsid = records[i].Clsid;
      return true;
    }
  }
  return false;
}

std::string WideTextFromPointer(const WCHAR* text) { return Utf16ToPath(text); }

}  // namespace qm
