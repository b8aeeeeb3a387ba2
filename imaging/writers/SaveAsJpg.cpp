#include "imaging/writers/SaveAsJpg.h"

#include "base/Error.h"
#include "imaging/gdiplus/Gdiplus.h"

namespace qm {

void SaveBitmapAsJpeg(const Bitmap* picture, const std::string& path, std::uint8_t quality) {
  GdiplusStartupInput input;
  input.GdiplusVersion = 1;
  input.DebugEventCallback = nullptr;
  input.SuppressBackgroundThread = 0;
  input.SuppressExternalCodecs = 0;

  ULONG_PTR token = 0;
  std::string why;  // the codec's words when the save fails
  GpStatus status = GdiplusStartup(&token, &input, nullptr);
  if (status == GpStatus::Ok) {
    GpBitmap* image = nullptr;
    status = GdipCreateBitmapFromHBITMAP(picture, nullptr, &image);
    if (status == GpStatus::Ok) {
      CLSID jpegEncoder;
      CLSIDFromString(u"{557CF401-1A04-11D3-9A73-0000F81EF32E}", &jpegEncoder);
      // The encoder reads the quality as a 32-bit number through the pointer.
      ULONG qualityValue = quality;
      EncoderParameters params;
      params.Count = 1;
      CLSIDFromString(u"{1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB}", &params.Parameter[0].Guid);
      params.Parameter[0].NumberOfValues = 1;
      params.Parameter[0].Type = EncoderParameterValueTypeLong;
      params.Parameter[0].Value = &qualityValue;

      const std::u16string widePath = PathToUtf16(path);
      status = GdipSaveImageToFile(image, widePath.c_str(), &jpegEncoder, &params);
      why = image->SaveFailure();
      GdipDisposeImage(image);
    }
    GdiplusShutdown(token);
  }
  if (status != GpStatus::Ok) {
    if (!why.empty() && why.back() == '.') why.pop_back();
    throw Error("Cannot save the image. GDI+ Error:" + std::to_string(StatusNumber(status)) +
                    (why.empty() ? std::string() : " (" + why + ")"),
                5);
  }
}

}  // namespace qm
