#include "serve/QueryOptions.h"

#include <set>

#include "cli/CommandLineOptions.h"

namespace qm {

namespace {

/// Options of the command line that belong to the machine it runs on, not to
/// the images: a client does not choose them.
const std::set<std::string>& ServerSideOptions() {
  static const std::set<std::string> names = {
      "--output", "--beside",     "--extension", "--jobs",    "--quiet",         "--verbose",
      "--files-from", "--null",   "--timeout",   "--max-memory", "--skip-existing", "--json",
      "--allow-links", "--help",  "--version"};
  return names;
}

}  // namespace

std::optional<std::vector<std::string>> OptionArgumentsOfQuery(
    const std::vector<std::pair<std::string, std::string>>& query, std::string* error) {
  std::vector<std::string> args;
  for (const auto& [name, value] : query) {
    if (name == "filename") continue;
    const std::string longName = "--" + name;
    const CommandLineOption* option = FindCommandLineOption(longName);
    if (option == nullptr || name.rfind("-", 0) == 0 || ServerSideOptions().count(longName) != 0) {
      *error = "Unknown option \"" + name + "\" (the options are quillmere-batch's that shape the images: see --help).";
      return std::nullopt;
    }
    if (option->value != OptionValue::kNone) {
      args.push_back(longName + "=" + value);
    } else if (value.empty() || value == "1" || value == "true") {
      args.push_back(longName);
    } else if (value != "0" && value != "false") {
      *error = "The option \"" + name + "\" is a switch: give it 1 or true, or 0 or false.";
      return std::nullopt;
    }
  }
  return args;
}

}  // namespace qm
