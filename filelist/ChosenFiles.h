#pragma once
// The rows a file dialog's selection adds to the file list, and the limit on
// how much of a selection the list takes in one go.

#include <cstddef>
#include <string>
#include <vector>

namespace qm {

/// The longest selection taken whole, counted as the file dialog's answer is
/// laid out in its buffer: one chosen file is its path; several are their
/// folder once, then each name, every part ended by a NUL, and one NUL more
/// to end the list. A selection longer than this adds nothing.
inline constexpr std::size_t kMaxSelectionLength = 30000;

/// The length of `paths` as kMaxSelectionLength counts it: for one file its
/// path and two NULs; for several (all in one folder, as a dialog chooses
/// them) the folder without its closing "/" (except the root), each file
/// name, one NUL after each of these, and a last NUL.
std::size_t SelectionLength(const std::vector<std::string>& paths);

/// True when `paths` are at most kMaxSelectionLength long.
bool SelectionFits(const std::vector<std::string>& paths);

/// The rows for the chosen `paths`, in the dialog's order. A single chosen
/// file is added exactly as the dialog gave it. Of several, each row is the
/// file's folder (FolderPart) joined to its name (FileNamePart) with one "/"
/// and passed through CollapseSeparators, so files chosen in "/" give
/// "/name", never "//name".
std::vector<std::string> ChosenFileRows(const std::vector<std::string>& paths);

}  // namespace qm
