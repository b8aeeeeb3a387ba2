#include "cli/JobUi.h"

#include <unistd.h>

#include <cerrno>

#include "cli/JobEvent.h"

namespace qm {

MessageAnswer JobUi::Message(const std::string& text, MessageButtons buttons, MessageIcon icon,
                             const std::string&) {
  if (icon == MessageIcon::Warning) {
    ++reports_;
    Send(JobEvent::kReport, text);
    return MessageAnswer::Ok;
  }
  // The parent put the question to the person before the jobs started.
  if (buttons == MessageButtons::YesNo) return MessageAnswer::Yes;
  Send(JobEvent::kMessage, text);
  return MessageAnswer::Ok;
}

void JobUi::SetProgressText(const std::string& text) {
  if (text.rfind("Processing: ", 0) == 0) Send(JobEvent::kFileStarted, text);
}

void JobUi::Send(char kind, const std::string& text) {
  const std::string line = JobEvent{static_cast<JobEvent::Kind>(kind), text}.Encode();
  std::size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = ::write(eventFd_, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the parent is gone; nothing left to tell
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace qm
