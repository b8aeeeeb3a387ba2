#pragma once
// quillmere-batch's bash completion, written from its option table.

#include <string>

namespace qm {

/// The completion script: every option's names are offered after "-"; a
/// value is completed from the option's choices, as a folder or a file, and
/// nothing is offered for a number or another value; the paths to convert
/// are presentations and folders.
std::string BashCompletionScript();

}  // namespace qm
