#pragma once
// Whole JPEG files: written from a bitmap, read into one.

#include <string>

#include "imaging/Bitmap.h"

namespace qm {

/// Largest width or height a JPEG file can have.
constexpr int kLargestJpegSide = 65500;

/// Writes `bitmap` as a baseline colour JPEG (JFIF, 96 dpi) at `path` with
/// `quality` from 0 to 100 on libjpeg's scale. Quality 100 is the highest
/// setting: every quantisation step 1 and no colour subsampling (4:4:4);
/// lower qualities subsample colour 4:2:0, as most encoders do. The file
/// appears complete or not at all, replacing an older one. Returns false on
/// failure, with `error` naming the file and `systemError` (may be null) the
/// errno of a failed system call or 0.
bool WriteJpegFile(const Bitmap& bitmap, const std::string& path, int quality,
                   std::string* error, int* systemError = nullptr);

/// Reads a JPEG file into `bitmap` as 24-bit colour through JpegRowReader.
/// A damaged or truncated file returns false with `error` set; `bitmap` is
/// then unchanged.
bool ReadJpegFile(const std::string& path, Bitmap* bitmap, std::string* error);

}  // namespace qm
