#pragma once
// The rows a file dialog's selection adds to the file list, and the limit on
// how much of a selection the list takes in one go.

#include <cstddef>
#include <string>
#include <vector>

namespace qm {

/// The longest selection taken whole, counted as the total length of the
/// chosen paths plus one separator each (the room the selection would take
/// as one NUL-separated text). A selection longer than this adds nothing.
inline constexpr std::size_t kMaxSelectionLength = 30000;

/// The length of `paths` as kMaxSelectionLength counts it.
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
