#include "cli/TerminalUi.h"

#include <unistd.h>

#include <iostream>

#include "cli/ProgressDisplay.h"

namespace qm {

void TerminalUi::Report(const std::string& text, bool consequence) {
  if (verbose_) {
    display_.Note(TerminalText(text) + "\n");
  } else if (!consequence) {
    // The description comes before the line that says where it arose.
    display_.Note("quillmere-batch: " + TerminalText(text.substr(0, text.find('\r'))));
  }
}

MessageAnswer TerminalUi::Message(const std::string& text, MessageButtons buttons,
                                  MessageIcon icon, const std::string&) {
  display_.Note(TerminalText(text) + (icon == MessageIcon::Warning ? "\n" : ""));
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  if (!::isatty(STDIN_FILENO) || !::isatty(STDERR_FILENO)) {
    display_.Note("Yes (not interactive)");
    return MessageAnswer::Yes;
  }
  for (;;) {
    std::fputs("[y/n] ", stderr);
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) return MessageAnswer::No;
    if (answer == "y" || answer == "Y" || answer == "yes") return MessageAnswer::Yes;
    if (answer == "n" || answer == "N" || answer == "no") return MessageAnswer::No;
  }
}

}  // namespace qm
