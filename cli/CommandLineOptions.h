#pragma once
// quillmere-batch's options, declared once.

#include <string>
#include <vector>

#include "cli/CommandLineOption.h"

namespace qm {

/// Every option of quillmere-batch, in the order --help lists them.
const std::vector<CommandLineOption>& CommandLineOptions();

/// The option named `name` ("-m", "--mode"); null when there is none.
const CommandLineOption* FindCommandLineOption(const std::string& name);

/// The options' part of --help: each option's names and value at the left,
/// its help in a column beside them.
std::string OptionsHelp();

}  // namespace qm
