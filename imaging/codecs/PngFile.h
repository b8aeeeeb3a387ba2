#pragma once
// Whole PNG files: written from a bitmap, read into one.

#include <string>

#include "base/Status.h"
#include "imaging/Bitmap.h"
#include "imaging/codecs/PngSettings.h"

namespace qm {

/// Writes `bitmap` as an RGB PNG, or RGBA when it has alpha, at `path` through PngStreamWriter
/// (so with the same settings and the same all-or-nothing replacement).
/// A failure names the file and carries the errno of a failed system call.
Status WritePngFile(const Bitmap& bitmap, const std::string& path,
                    const PngSettings& settings = PngSettings::Defaults());

/// Reads any standard PNG (every colour type and bit depth; alpha is
/// dropped, 16-bit channels are cut to 8) into `bitmap` as 24-bit colour.
/// A damaged, truncated or unreadable file, or one too large to hold in
/// memory, is a failure naming the file; `bitmap` is then unchanged.
Status ReadPngFile(const std::string& path, Bitmap* bitmap);

}  // namespace qm
