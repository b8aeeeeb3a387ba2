#pragma once
// One entry of quillmere-batch's option table: how the option is written,
// what value it takes, its help, and what it sets.

#include <string>

namespace qm {

class OptionArgument;
struct OptionState;

/// What an option's value is: what the help names and the completion offers.
enum class OptionValue {
  kNone,    ///< a flag: no value
  kChoice,  ///< one of `choices` (the completion offers them)
  kNumber,  ///< a whole number from `least` to `most`
  kText,    ///< anything else the reader checks (a list, a size, a colour)
  kFolder,  ///< a folder (the completion offers folders)
  kFile,    ///< a file (the completion offers files)
};

/// One option. The table of them (CommandLineOptions) is the one place an
/// option is declared: the parser, --help, the manual page made from --help
/// and the bash completion all come from it.
struct CommandLineOption {
  const char* shortName;  ///< "-m"; "" when there is none
  const char* longName;   ///< "--mode"
  const char* valueName;  ///< "MODE", as the help writes it; "" for a flag
  OptionValue value;
  const char* choices;    ///< kChoice: the words, separated by blanks
  int least;              ///< kNumber: the smallest value taken
  int most;               ///< kNumber: the largest value taken, the one the job's decoder takes too
  const char* help;       ///< the help, its lines separated by '\n'
  /// Reads the option's value (if any) at `argument` into `state`; false,
  /// with the sentence in `*state.error`, when it cannot be used.
  bool (*read)(const CommandLineOption& self, OptionArgument& argument, OptionState& state);

  /// True when `name` is this option's short or long name.
  bool Named(const std::string& name) const;
};

}  // namespace qm
