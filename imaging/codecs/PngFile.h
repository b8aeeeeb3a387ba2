#pragma once
// Whole PNG files: written from a bitmap, read into one.

#include <string>

#include "imaging/Bitmap.h"
#include "imaging/codecs/PngSettings.h"

namespace qm {

/// Writes `bitmap` as a 24-bit colour PNG at `path` through PngStreamWriter
/// (so with the same settings and the same all-or-nothing replacement).
/// Returns false on failure, with `error` set to a sentence naming the file
/// and `systemError` (may be null) to the errno of a failed system call or 0.
bool WritePngFile(const Bitmap& bitmap, const std::string& path, std::string* error,
                  int* systemError = nullptr,
                  const PngSettings& settings = PngSettings::Defaults());

/// Reads any standard PNG (every colour type and bit depth; alpha is
/// dropped, 16-bit channels are cut to 8) into `bitmap` as 24-bit colour.
/// A damaged, truncated or unreadable file, or one too large to hold in
/// memory, returns false with `error` set; `bitmap` is then unchanged.
bool ReadPngFile(const std::string& path, Bitmap* bitmap, std::string* error);

}  // namespace qm
