#pragma once
// Whole WebP files, written from a bitmap.

#include <string>

#include "base/Status.h"
#include "imaging/Bitmap.h"

namespace qm {

/// Largest width or height a WebP image can have.
constexpr int kLargestWebpSide = 16383;

/// Writes `bitmap` (with its alpha, when it has one) as a lossy WebP image
/// at `path` with `quality` from 1 to 100 (libwebp's scale). The file appears complete or not at all, replacing
/// an older one. A failure names the file and says why.
Status WriteWebpFile(const Bitmap& bitmap, const std::string& path, int quality);

}  // namespace qm
