// The encoder table of the GDI+-style library: GdipGetImageEncodersSize and
// GdipGetImageEncoders.

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/gdiplus/Gdiplus.h"
#include "imaging/gdiplus/GdiplusState.h"

namespace qm {

namespace {

/// What the table says about one built-in encoder.
struct EncoderDescription {
  const CLSID* clsid;
  const Guid* format;
  const char16_t* codecName;
  const char16_t* formatDescription;
  const char16_t* filenameExtension;
  const char16_t* mimeType;
  std::vector<BYTE> signature;
};

const std::vector<EncoderDescription>& Encoders() {
  static const std::vector<EncoderDescription> encoders = {
      {&kBmpEncoderClsid, &kImageFormatBmp, u"Built-in BMP Codec", u"BMP", u"*.BMP;*.DIB;*.RLE",
       u"image/bmp", {0x42, 0x4D}},
      {&kJpegEncoderClsid, &kImageFormatJpeg, u"Built-in JPEG Codec", u"JPEG",
       u"*.JPG;*.JPEG;*.JPE;*.JFIF", u"image/jpeg", {0xFF, 0xD8}},
      {&kPngEncoderClsid, &kImageFormatPng, u"Built-in PNG Codec", u"PNG", u"*.PNG", u"image/png",
       {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}},
  };
  return encoders;
}

std::size_t TextBytes(const char16_t* text) {
  return (std::char_traits<char16_t>::length(text) + 1) * sizeof(char16_t);
}

std::size_t RecordBytes() { return Encoders().size() * sizeof(ImageCodecInfo); }

/// Bytes of all texts, which follow the records (so they keep the records'
/// 2-byte alignment).
std::size_t TextBytesTotal() {
  std::size_t bytes = 0;
  for (const EncoderDescription& e : Encoders())
    bytes += TextBytes(e.codecName) + TextBytes(e.formatDescription) +
             TextBytes(e.filenameExtension) + TextBytes(e.mimeType);
  return bytes;
}

/// Bytes of every signature pattern and mask, which follow the texts.
std::size_t SignatureBytesTotal() {
  std::size_t bytes = 0;
  for (const EncoderDescription& e : Encoders()) bytes += 2 * e.signature.size();
  return bytes;
}

std::size_t BlockBytes() { return RecordBytes() + TextBytesTotal() + SignatureBytesTotal(); }

}  // namespace

GpStatus GdipGetImageEncodersSize(UINT* numEncoders, UINT* size) {
  if (!numEncoders || !size) return GpStatus::InvalidParameter;
  *numEncoders = 0;
  *size = 0;
  if (!GdiplusIsStarted()) return GpStatus::GdiplusNotInitialized;
  *numEncoders = static_cast<UINT>(Encoders().size());
  *size = static_cast<UINT>(BlockBytes());
  return GpStatus::Ok;
}

GpStatus GdipGetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders) {
  if (!encoders) return GpStatus::InvalidParameter;
  if (!GdiplusIsStarted()) return GpStatus::GdiplusNotInitialized;
  if (numEncoders != Encoders().size() || size != BlockBytes()) return GpStatus::InvalidParameter;

  BYTE* block = reinterpret_cast<BYTE*>(encoders);
  std::size_t nextText = RecordBytes();
  std::size_t nextSignature = RecordBytes() + TextBytesTotal();
  const auto placeAt = [block](std::size_t* next, const void* data, std::size_t bytes) {
    BYTE* at = block + *next;
    std::memcpy(at, data, bytes);
    *next += bytes;
    return at;
  };
  const auto place = [&](const char16_t* text) {
    return reinterpret_cast<const WCHAR*>(placeAt(&nextText, text, TextBytes(text)));
  };
  for (std::size_t i = 0; i < Encoders().size(); ++i) {
    const EncoderDescription& e = Encoders()[i];
    ImageCodecInfo info{};
    info.Clsid = *e.clsid;
    info.FormatID = *e.format;
    info.CodecName = place(e.codecName);
    info.DllName = nullptr;
    info.FormatDescription = place(e.formatDescription);
    info.FilenameExtension = place(e.filenameExtension);
    info.MimeType = place(e.mimeType);
    info.Flags = ImageCodecFlagsEncoder | ImageCodecFlagsSupportBitmap | ImageCodecFlagsBuiltin;
    info.Version = 1;
    info.SigCount = 1;
    info.SigSize = static_cast<ULONG>(e.signature.size());
    info.SigPattern = placeAt(&nextSignature, e.signature.data(), e.signature.size());
    const std::vector<BYTE> mask(e.signature.size(), 0xFF);
    info.SigMask = placeAt(&nextSignature, mask.data(), mask.size());
    std::memcpy(block + i * sizeof(ImageCodecInfo), &info, sizeof info);
  }
  return GpStatus::Ok;
}

}  // namespace qm
