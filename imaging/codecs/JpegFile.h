#pragma once
// Whole JPEG files: written from a bitmap, read into one.

#include <string>

#include "base/Status.h"
#include "imaging/Bitmap.h"

namespace qm {

/// Largest width or height a JPEG file can have.
constexpr int kLargestJpegSide = 65500;

/// Writes `bitmap` as a baseline colour JPEG (JFIF, 96 dpi) at `path` with
/// `quality` from 0 to 100 on libjpeg's scale. Quality 100 is the highest
/// setting: every quantisation step 1 and no colour subsampling (4:4:4);
/// lower qualities subsample colour 4:2:0, as most encoders do. The file
/// appears complete or not at all, replacing an older one. A failure names
/// the file and carries the errno of a failed system call. A picture with
/// alpha is composited over white (JPEG holds none).
Status WriteJpegFile(const Bitmap& bitmap, const std::string& path, int quality);

/// Reads a JPEG file into `bitmap` as 24-bit colour through JpegRowReader.
/// A damaged or truncated file is a failure naming it; `bitmap` is then
/// unchanged.
Status ReadJpegFile(const std::string& path, Bitmap* bitmap);

}  // namespace qm
