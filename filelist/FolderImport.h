#pragma once
// Gathering files from folder trees into the file list: the folder import
// (the "Add All PowerPoint Files In Folder" command, after the person has
// typed the extension and picked the folder) and the drop of files and
// folders on the list. Plain functions, so the window and the command-line
// tool gather the same way.

#include <string>
#include <vector>

#include "filelist/SkippedPath.h"

namespace qm {

class FileList;
class Ui;

/// The folder import's search pattern for a typed extension: "*." followed by
/// the extension exactly as typed. "ppt*" gives "*.ppt*", "*" gives "*.*"
/// (every file), ".ppt" gives "*..ppt" (which ordinary names do not match).
std::string ImportSearchPattern(const std::string& extension);

/// Appends to `list` every file of the tree under `folder` whose name
/// matches `pattern` (see FilePattern), in this order: the folder's own
/// files, then those of its sub-folders level by level as
/// GetSubDirectories2016 orders them; within a folder, the file system's
/// listing order. Skipped: names beginning with "~", dot-files (attribute
/// value exactly 34, a hidden regular file), files failing FileIsOpenable,
/// and whatever the scan leaves out. Each row is folder + "/" + name passed
/// through CollapseSeparators. No duplicate test: importing twice lists
/// twice.
///
/// The caller marks the window busy first (the scan yields through `ui`);
/// this restores the default pointer at the end. Unreadable folders are left
/// out silently. An unexpected failure is shown as the standard error report
/// of the command, tagged "Form1.PushButton5_Click" with lines 120 (scan),
/// 122 (one folder's files) and 124 (pointer), and the gathering goes on.
/// Never throws. Every file or sub-folder left out by these rules (not the
/// unreadable ones) is noted with its reason in `skipped` when it is given.
void ImportFolder(FileList& list, Ui& ui, const std::string& folder, const std::string& pattern,
                  SkippedPaths* skipped = nullptr);

/// Appends to `list` what a drop of `paths` brings, in the drop's order. A
/// path that is an existing folder (links followed) is expanded like
/// ImportFolder with the pattern "*.*" (every file; "~" names and dot-files
/// skipped), each folder with its own scan. Any other path, also one that no
/// longer exists, is added exactly as given: no extension, "~" or attribute
/// test and no separator collapsing; converting it later reports what is
/// wrong with it. Does not touch the pointer: a drop does not mark the window
/// busy, although the scan yields through `ui`. An unexpected failure is
/// shown as the standard error report tagged "Form1.ListView1_OLEDragDrop"
/// with lines 100 (one path), 102 (scan) and 104 (one folder's files), and
/// the drop goes on with the next step. Never throws.
void AddDroppedPaths(FileList& list, Ui& ui, const std::vector<std::string>& paths);

}  // namespace qm
