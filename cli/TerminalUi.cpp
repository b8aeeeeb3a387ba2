#include "cli/TerminalUi.h"

#include <unistd.h>

#include <cstring>
#include <iostream>

#include "base/ErrorReport.h"
#include "cli/ProgressDisplay.h"
#include "engine/export/SlideSession.h"

namespace qm {

MessageAnswer TerminalUi::Message(const std::string& text, MessageButtons buttons,
                                  MessageIcon icon, const std::string& title) {
  if (!verbose_ && title == kErrorReportTitle) {
    // The description comes before the line that says where it arose.
    const std::string cause = text.substr(0, text.find('\r'));
    const std::size_t consequence = cause.rfind(std::string(": ") + kNoPresentationOpen);
    const bool followsFromLast =
        consequence != std::string::npos && consequence + 2 + std::strlen(kNoPresentationOpen) == cause.size() &&
        lastCause_.compare(0, consequence + 2, cause, 0, consequence + 2) == 0;
    if (followsFromLast) return MessageAnswer::Ok;
    lastCause_ = cause;
    display_.Note("quillmere-batch: " + TerminalText(cause));
    return MessageAnswer::Ok;
  }
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
