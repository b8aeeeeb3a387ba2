#pragma once
// The files of one folder (not of its sub-folders) that match a pattern,
// and the open test they must pass.

#include <string>
#include <vector>

#include "filelist/SkippedPath.h"

namespace qm {

/// One file found by ListFolderFiles: its name (without folder) and its
/// attributes as FileAttributes.h defines them.
struct FolderFile {
  std::string name;
  unsigned attributes = 0;
};

/// The files of `folder` (with or without a trailing "/") whose names match
/// `pattern` (see FilePattern, for example "*.ppt*" or "*.*") and that pass
/// the FileIsOpenable test for folder + "/" + name, in the file system's
/// listing order. For an entry the folder itself reports as a regular file,
/// having just been listed is that test; links and entries of unknown type
/// are resolved. Hidden files are included; folders, and links that lead to
/// folders, are not. A folder that cannot be read gives an empty list; a file
/// that vanishes while the folder is listed is left out. Never reports, never
/// throws except for lack of memory.
/// Matching names that are not valid UTF-8 are noted in `skipped` when it is
/// given.
std::vector<FolderFile> ListFolderFiles(const std::string& folder, const std::string& pattern,
                                        SkippedPaths* skipped = nullptr);

/// The names of ListFolderFiles(folder, pattern), in the same order.
std::vector<std::string> ListFilesInFolder(const std::string& folder, const std::string& pattern);

/// True when `path` names an existing file, not a folder, that can be opened
/// without asking for any access (so also a file the user may not read;
/// reaching it is what counts). False for folders, vanished files, broken
/// links, and paths that are not well-formed UTF-8 (the program handles
/// paths as text in the locale's encoding and could not name such a file
/// again). Never reports.
bool FileIsOpenable(const std::string& path);

}  // namespace qm
