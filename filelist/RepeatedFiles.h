#pragma once
// The files of a command-line run that no conversion can take: named twice,
// or by a path the system does not open.

#include <string>
#include <vector>

#include "filelist/SkippedPath.h"

namespace qm {

/// Leaves in `files` (in order) only paths a conversion can take; each one
/// taken out is noted in `skipped` with its reason:
///  - a path longer than 4,095 bytes (PATH_MAX with its NUL): no call opens
///    it, and a job handed one would fail as a whole;
///  - a path already in the list (compared in normal form, so "d/./x.pptx"
///    is "d/x.pptx"): converting it again would only replace its own images
///    and count the first conversion as lost. Another name of the same file
///    (a link) stays: its images have names of their own.
void DropRepeatedFiles(std::vector<std::string>& files, SkippedPaths* skipped);

}  // namespace qm
