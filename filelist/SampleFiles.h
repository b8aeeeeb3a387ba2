#pragma once
// The example presentations shipped in the Samples folder of the data files.

#include <string>

namespace qm {

class FileList;

/// The Samples folder among the data files (DataFolder()), without a trailing "/".
std::string SamplesFolder();

/// Appends every file of `folder` (pattern "*.*": any name, no sub-folders),
/// in the file system's order, as folder + "/" + name, unless a row already
/// holds exactly that text (ListContains, case-sensitive). A missing or empty
/// folder adds nothing. Returns the number of rows added.
int AddSampleFiles(FileList& list, const std::string& folder);

}  // namespace qm
