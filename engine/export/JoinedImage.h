#pragma once
// What the joins (in a line, in a grid) share: opening the joined image, and
// raising a codec's failure as the report's error.

#include <cstdint>
#include <string>

#include "base/Status.h"
#include "imaging/codecs/PngStreamWriter.h"

namespace qm {

/// Raises `status`'s message as an Error when it failed.
void ThrowIfFailed(const Status& status);

/// Opens `png` at `outputPath` for a joined image of `width` x `height`.
/// Raises the error the report shows when no picture could be read
/// (`anyPicture` false), when the canvas is larger than a PNG file (or one
/// of its rows) can hold, or when the file cannot be opened.
void OpenJoinedImage(PngStreamWriter& png, const std::string& outputPath, bool anyPicture,
                     std::int64_t width, std::int64_t height);

/// Where a joined image's scratch file goes: the output's own folder, where
/// the joined image itself is going.
std::string ScratchFolderFor(const std::string& outputPath);

}  // namespace qm
