#pragma once
// The PNG file of one slide, as the one-slide and each-slide exporters write it.

#include <string>

#include "engine/export/ConversionRequest.h"

#include "imaging/Bitmap.h"

namespace qm {

/// `<outputFolder><base>_Slide<n><extension>`, separators collapsed; `n`
/// written with at least `digits` digits (leading zeros).
std::string SlidePngPath(const std::string& outputFolder, const std::string& base, int n,
                         int digits = 0, const char* extension = ".png");

/// Writes `picture` at `path` in the format `request` asks for (PNG through
/// WriteSlidePng, JPEG or WebP at its quality); throws qm::Error naming the
/// file when it cannot.
void WriteSlideImage(const Bitmap& picture, const std::string& path,
                     const ConversionRequest& request);

/// Writes `picture` as the PNG `pngPath`; throws qm::Error when it cannot,
/// so a failure is reported instead of a file gone missing.
void WriteSlidePng(const Bitmap& picture, const std::string& pngPath);

}  // namespace qm
