#pragma once
// Telling a presentation without slides from a one-slide one: LibreOffice
// gives every document it opens at least one page.

#include <optional>
#include <string>

namespace qm {

/// The number of slide parts ("ppt/slides/slideN.xml") in the zip of an
/// Office Open XML presentation (.pptx, .pptm, .ppsx, .potx...), read from
/// its central directory alone; nullopt when `path` is not such a zip or its
/// directory cannot be read whole (a zip64 archive, a damaged one). Reads at
/// most the directory's bytes and the 64 KiB tail. Never throws.
std::optional<int> CountSlideParts(const std::string& path);

}  // namespace qm
