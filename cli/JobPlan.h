#pragma once
// Splits the file list into shares that separate processes can convert at
// the same time with the same result as one run over the whole list.

#include <string>
#include <vector>

namespace qm {

/// Returns up to `jobs` non-empty shares of `files`. Files that write the same
/// output name (same output folder and base name, e.g. deck.ppt and
/// deck.pptx) land in one share; every share keeps the list order, so the
/// later of two such files still wins. Shares are balanced by file count.
/// With `beside`, outputs go to each file's own folder; otherwise all go to
/// one folder.
std::vector<std::vector<std::string>> PlanJobs(const std::vector<std::string>& files, int jobs,
                                               bool beside);

}  // namespace qm
