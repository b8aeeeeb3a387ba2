#pragma once
// The recursive expansion of folders into all of their sub-folders, breadth
// first, for the folder import and the drop of folders.

#include <climits>
#include <cstddef>
#include <string>
#include <vector>

#include "filelist/SkippedPath.h"

namespace qm {

class Ui;

/// An ordered list of folder paths. Every entry the scan adds ends with "/";
/// callers seed it the same way (the chosen folder followed by "/"). Entries
/// compare as whole strings, case-sensitively.
using FolderCollection = std::vector<std::string>;

/// A folder path of this many bytes or more is not listed: the system's own
/// path limit, beyond which no call accepts the path.
inline constexpr std::size_t kMaxFolderPathBytes = PATH_MAX;

/// Appends to `folders` the sub-folders of its entries; with `recurse`, all
/// deeper sub-folders too. The result is the surviving seed entries, in their
/// order, followed by the sub-folders level by level: all children in the
/// order of their parents, then all grandchildren, and so on. Within one
/// parent, sub-folders come in the file system's listing order.
///
/// What is left out:
///  - an entry that is not an existing folder, or whose path has
///    kMaxFolderPathBytes or more, is not listed (a seed entry stays); a
///    sub-folder of such a path is left out and noted in `skipped`;
///  - a sub-folder whose name HasUnsafeNameChars refuses, with its sub-tree;
///  - a folder already taken, and a symbolic link leading back into the tree
///    or to an ancestor of a seed (see VisitedFolders); a link to a folder
///    elsewhere is followed once;
///  - a folder whose sub-folders cannot be listed because access is denied or
///    it vanished: it is removed (a seed entry too: the first entry equal to
///    it), silently. Sub-folders taken before a listing broke off stay. Other
///    listing failures keep the folder;
///  - a sub-folder that has vanished by the time it would be appended.
///
/// Yields through `ui` once per folder listed, once per sub-folder found and
/// once per sub-folder appended, so a window stays responsive during long
/// scans; the caller marks the window busy if list edits must not interleave.
/// An unexpected failure (such as running out of memory) is shown as the
/// standard error report tagged "in Brindle2021/08/31.AddFolder.GetSubDirectories2016 "
/// and the scan goes on. Never throws. Sub-folders left out for their names
/// are noted in `skipped` when it is given.
void GetSubDirectories2016(Ui& ui, FolderCollection& folders, bool recurse,
                           SkippedPaths* skipped = nullptr);

}  // namespace qm
