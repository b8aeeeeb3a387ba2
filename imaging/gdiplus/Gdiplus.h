#pragma once
// The GDI+-style flat interface: the operations the image writers call, with
// GDI+'s names, arguments, statuses and identifiers.
//
// Calling order: GdiplusStartup before anything else; per file create, save
// and dispose an image; GdiplusShutdown with the token of the start. Start and
// stop pairs nest: the library is usable while at least one start has not
// been stopped. While it is not started, every call below that needs it
// returns GdiplusNotInitialized (and the encoder table reads as empty).
// GdipDisposeImage and CLSIDFromString (in Guid.h) work at any time.
// All calls are safe from any thread; an image is used by one thread at a time.

#include <string>

#include "imaging/Bitmap.h"
#include "imaging/gdiplus/EncoderParameters.h"
#include "imaging/gdiplus/GdiplusStartupInput.h"
#include "imaging/gdiplus/GdiplusTypes.h"
#include "imaging/gdiplus/GpImage.h"
#include "imaging/gdiplus/GpStatus.h"
#include "imaging/gdiplus/Guid.h"
#include "imaging/gdiplus/ImageCodecInfo.h"

namespace qm {

/// Starts the library once more. `input` must be non-null with
/// GdiplusVersion 1 (InvalidParameter / UnsupportedGdiplusVersion otherwise);
/// `output` is not filled and may be null. On Ok `*token` is a new non-zero
/// token to hand to GdiplusShutdown; on failure it is 0 and nothing started.
GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* output);

/// Undoes the start that returned `token`. A token that is 0, unknown or
/// already stopped is ignored, so a stray stop cannot end someone else's start.
void GdiplusShutdown(ULONG_PTR token);

/// Makes an image holding a copy of `hbm`'s pixels; `hpal` must be null (no
/// palettes). A null, empty or inconsistent bitmap (pixel count not width x
/// height x 3) gives InvalidParameter and `*image` = null. The caller owns
/// the image and gives it back with GdipDisposeImage.
GpStatus GdipCreateBitmapFromHBITMAP(const Bitmap* hbm, void* hpal, GpBitmap** image);

/// Writes `image` to `filename` (NUL-terminated UTF-16; see Utf16ToPath) with
/// the encoder named by `clsidEncoder` (BMP, JPEG or PNG of the encoder
/// table). The file appears complete or not at all and replaces an existing
/// file of that name; on failure no file and no temporary is left behind.
///
/// Encoder parameters (`encoderParams`, may be null): the JPEG encoder reads
/// kEncoderQuality (one value of type EncoderParameterValueTypeLong, 0 to
/// 100; default 75); other settings and other encoders' settings are ignored.
/// A quality with another type, count or a value above 100 is InvalidParameter.
///
/// Statuses: InvalidParameter for a null argument or empty path;
/// UnknownImageFormat for a CLSID that is no encoder here; file system
/// failures as StatusFromErrno (a folder that does not exist: Win32Error;
/// no permission: AccessDenied); an encoder failure: GenericError.
GpStatus GdipSaveImageToFile(GpImage* image, const WCHAR* filename, const CLSID* clsidEncoder,
                             const EncoderParameters* encoderParams);

/// Frees `image` (null is ignored). Always Ok; works when not started.
GpStatus GdipDisposeImage(GpImage* image);

/// Number of encoders and the size in bytes of the block that
/// GdipGetImageEncoders fills (records followed by their texts). Both are 0,
/// with GdiplusNotInitialized, when the library is not started.
GpStatus GdipGetImageEncodersSize(UINT* numEncoders, UINT* size);

/// Fills `encoders`, a block of `size` bytes, with `numEncoders` records
/// (BMP, JPEG, PNG, in that order) followed by the texts and signature bytes
/// they point to. The block need not be aligned: records are copied in byte
/// by byte. `numEncoders` and `size` must equal what GdipGetImageEncodersSize
/// reported (InvalidParameter otherwise; nothing is written then).
GpStatus GdipGetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders);

/// The path of a NUL-terminated UTF-16 text as UTF-8 bytes for the file
/// system. Lone surrogates U+DC80 to U+DCFF stand for the single bytes 0x80
/// to 0xFF of a name that is not valid UTF-8 (see PathToUtf16), so every
/// Linux path survives the round trip. Other invalid UTF-16 becomes U+FFFD.
std::string Utf16ToPath(const WCHAR* text);

/// The UTF-16 form of a UTF-8 path, mapping each byte that is not part of
/// valid UTF-8 to the lone surrogate U+DC00 + byte, the inverse of
/// Utf16ToPath.
std::u16string PathToUtf16(const std::string& path);

}  // namespace qm
