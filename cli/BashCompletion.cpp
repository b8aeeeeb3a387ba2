#include "cli/BashCompletion.h"

#include "cli/CommandLineOptions.h"

namespace qm {

namespace {

/// The option's names as a case pattern: "-m | --mode".
std::string Pattern(const CommandLineOption& option) {
  return *option.shortName != '\0' ? std::string(option.shortName) + " | " + option.longName
                                   : std::string(option.longName);
}

}  // namespace

std::string BashCompletionScript() {
  std::string cases;
  std::string silent;  // options whose value is typed, not chosen
  std::string names;
  for (const CommandLineOption& option : CommandLineOptions()) {
    names += (names.empty() ? "" : " ") + std::string(option.longName);
    if (*option.shortName != '\0') names += std::string(" ") + option.shortName;
    switch (option.value) {
      case OptionValue::kNone:
        break;
      case OptionValue::kChoice:
        cases += "    " + Pattern(option) + ")\n      COMPREPLY=($(compgen -W '" + option.choices +
                 "' -- \"$cur\"))\n      return ;;\n";
        break;
      case OptionValue::kFolder:
        cases += "    " + Pattern(option) + ")\n      _filedir -d\n      return ;;\n";
        break;
      case OptionValue::kFile:
        cases += "    " + Pattern(option) + ")\n      _filedir\n      return ;;\n";
        break;
      case OptionValue::kNumber:
      case OptionValue::kText:
        silent += (silent.empty() ? "" : " | ") + Pattern(option);
        break;
    }
  }
  return "# bash completion for quillmere-batch                      -*- shell-script -*-\n"
         "# Written from the program's option table when it is built.\n"
         "\n"
         "_quillmere_batch() {\n"
         "  local cur prev words cword\n"
         "  _init_completion || return\n"
         "\n"
         "  case $prev in\n" +
         cases + "    " + silent +
         ")\n"
         "      return ;;\n"
         "  esac\n"
         "\n"
         "  if [[ $cur == -* ]]; then\n"
         "    COMPREPLY=($(compgen -W '" +
         names +
         "' -- \"$cur\"))\n"
         "    return\n"
         "  fi\n"
         "  _filedir '@(ppt|pptx|pptm|pps|ppsx|pot|potx|odp|PPT|PPTX|PPTM|PPS|PPSX|POT|POTX|ODP)'\n"
         "} &&\n"
         "  complete -F _quillmere_batch quillmere-batch\n";
}

}  // namespace qm
