#pragma once
// The caption of every message box and input box that has no title of its own.

#include <string>

namespace qm {

/// Derives the caption from a product name: cut the text at its last space,
/// keeping what precedes it, and repeat while the result is longer than 40
/// characters. The cut happens at least once; a name without a space keeps
/// the whole name.
std::string ApplicationTitleFrom(const std::string& productName);

/// The program's caption; "Quillmere" until start-up sets another.
const std::string& ApplicationTitle();

/// Sets the program's caption (start-up only).
void SetApplicationTitle(std::string title);

}  // namespace qm
