#include "cli/TerminalUi.h"

#include <unistd.h>

#include <iostream>
#include <string>

#include "cli/ProgressDisplay.h"

namespace qm {

MessageAnswer TerminalUi::Message(const std::string& text, MessageButtons buttons,
                                  MessageIcon, const std::string&) {
  std::fprintf(out_, "%s\n", TerminalText(text).c_str());
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  if (!::isatty(STDIN_FILENO) || !::isatty(::fileno(out_))) {
    std::fprintf(out_, "Yes (not interactive)\n");
    return MessageAnswer::Yes;
  }
  for (;;) {
    std::fprintf(out_, "[y/n] ");
    std::fflush(out_);
    std::string answer;
    if (!std::getline(std::cin, answer)) return MessageAnswer::No;
    if (answer == "y" || answer == "Y" || answer == "yes") return MessageAnswer::Yes;
    if (answer == "n" || answer == "N" || answer == "no") return MessageAnswer::No;
  }
}

}  // namespace qm
