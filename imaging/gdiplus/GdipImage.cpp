// Image objects of the GDI+-style library: creation from a bitmap, saving
// through an encoder, disposal.

#include <cstring>
#include <new>
#include <string>

#include "imaging/codecs/BmpFile.h"
#include "imaging/gdiplus/Gdiplus.h"
#include "imaging/gdiplus/GdiplusState.h"
#include "imaging/codecs/JpegFile.h"
#include "imaging/codecs/PngFile.h"

namespace qm {

namespace {

/// Quality the JPEG encoder uses when the caller gives none.
constexpr ULONG kDefaultJpegQuality = 75;

/// Reads the JPEG quality from `params`: stays at the default when absent.
GpStatus JpegQualityFrom(const EncoderParameters* params, ULONG* quality) {
  *quality = kDefaultJpegQuality;
  if (!params) return GpStatus::Ok;
  for (UINT i = 0; i < params->Count; ++i) {
    const EncoderParameter& p = params->Parameter[i];
    if (!(p.Guid == kEncoderQuality)) continue;
    if (p.NumberOfValues != 1 || p.Type != EncoderParameterValueTypeLong || !p.Value)
      return GpStatus::InvalidParameter;
    ULONG value = 0;
    std::memcpy(&value, p.Value, sizeof value);
    if (value > 100) return GpStatus::InvalidParameter;
    *quality = value;
  }
  return GpStatus::Ok;
}

}  // namespace

GpStatus GdipCreateBitmapFromHBITMAP(const Bitmap* hbm, void* hpal, GpBitmap** image) {
  if (!image) return GpStatus::InvalidParameter;
  *image = nullptr;
  if (!GdiplusIsStarted()) return GpStatus::GdiplusNotInitialized;
  if (!hbm || hpal || !hbm->IsConsistent())
    return GpStatus::InvalidParameter;
  try {
    *image = new GpImage(*hbm);
  } catch (const std::bad_alloc&) {
    return GpStatus::OutOfMemory;
  }
  return GpStatus::Ok;
}

GpStatus GdipDisposeImage(GpImage* image) {
  delete image;
  return GpStatus::Ok;
}

GpStatus GdipSaveImageToFile(GpImage* image, const WCHAR* filename, const CLSID* clsidEncoder,
                             const EncoderParameters* encoderParams) {
  if (!image || !filename || !clsidEncoder || filename[0] == 0) return GpStatus::InvalidParameter;
  if (!GdiplusIsStarted()) return GpStatus::GdiplusNotInitialized;

  const std::string path = Utf16ToPath(filename);
  const Bitmap& pixels = image->Pixels();
  Status written;
  if (*clsidEncoder == kPngEncoderClsid) {
    written = WritePngFile(pixels, path);
  } else if (*clsidEncoder == kJpegEncoderClsid) {
    ULONG quality = 0;
    const GpStatus status = JpegQualityFrom(encoderParams, &quality);
    if (status != GpStatus::Ok) return status;
    if (pixels.width > kLargestJpegSide || pixels.height > kLargestJpegSide)
      return GpStatus::ValueOverflow;
    written = WriteJpegFile(pixels, path, static_cast<int>(quality));
  } else if (*clsidEncoder == kBmpEncoderClsid) {
    written = WriteBmpFile(pixels, path);
  } else {
    return GpStatus::UnknownImageFormat;
  }
  image->NoteSaveFailure(written.Ok() ? std::string() : written.Message());
  return GpStatusFrom(written);
}

}  // namespace qm
