#pragma once
// The folder browser: a directory chooser that opens at a given folder.

#include <string>

class QWidget;

namespace qm {

/// Shows a modal directory chooser owned by `owner`, titled `title`, with
/// `initialFolder` preselected when it is an existing folder (otherwise
/// nothing is preselected and the chooser opens where the toolkit places it).
/// Returns the chosen folder's path ("/" for the root, any other folder
/// without a trailing "/"), or "" when the person cancelled.
std::string BrowseForFolder(QWidget* owner, const std::string& title,
                            const std::string& initialFolder);

}  // namespace qm
