#pragma once
// The JPEG writer (module SaveAsJPG): one picture to one JPEG file with a
// chosen quality, for the slides on their way into the stitched image.

#include <cstdint>
#include <string>

#include "imaging/Bitmap.h"

namespace qm {

/// Writes `picture` to `path` (UTF-8) with the JPEG encoder at `quality`
/// (100 = highest setting), replacing a file of that name. Starts the
/// GDI+-style library for the call and stops it again, nesting inside the
/// program's session, so it works whether or not the program's GdiPlusSession started.
/// Throws qm::Error("Cannot save the image. GDI+ Error:<status>", 5) with
/// the status of the step that failed: the start, the bitmap creation (a
/// null or empty picture: 2) or the save (a folder that does not exist: 7).
/// No file is left behind on failure.
void SaveBitmapAsJpeg(const Bitmap* picture, const std::string& path, std::uint8_t quality);

}  // namespace qm
