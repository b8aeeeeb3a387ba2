#include "cli/ProgressDisplay.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace qm {

namespace {
constexpr const char* kProcessing = "Processing: ";

int TerminalWidth(std::FILE* out) {
  winsize size{};
  if (::ioctl(::fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 20) return size.ws_col;
  return 80;
}
}  // namespace

std::string TerminalText(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

ProgressDisplay::ProgressDisplay(std::FILE* out, int total, bool quiet)
    : out_(out), total_(total), quiet_(quiet), terminal_(::isatty(::fileno(out)) == 1) {}

void ProgressDisplay::Show(const JobEvent& event) {
  switch (event.kind) {
    case JobEvent::kFileStarted:
      ++started_;
      current_ = event.text.substr(std::string(kProcessing).size());
      if (quiet_) return;
      if (terminal_) {
        DrawBar();
      } else {
        std::fprintf(out_, "[%d/%d] %s\n", started_, total_, current_.c_str());
        std::fflush(out_);
      }
      return;
    case JobEvent::kReport:
      ++reports_;
      Note(TerminalText(event.text) + "\n");
      return;
    case JobEvent::kMessage:
      // Each job closes with "Done."; the run's own summary says it once.
      if (event.text != "Done.") Note(TerminalText(event.text));
      return;
  }
}

void ProgressDisplay::Note(const std::string& text) {
  ClearBar();
  std::fprintf(out_, "%s\n", text.c_str());
  if (terminal_ && !quiet_ && started_ > 0) DrawBar();
  std::fflush(out_);
}

void ProgressDisplay::Finish() {
  ClearBar();
  std::fflush(out_);
}

void ProgressDisplay::ClearBar() {
  if (!barShown_) return;
  std::fputs("\r\033[K", out_);
  barShown_ = false;
}

void ProgressDisplay::DrawBar() {
  constexpr int kBarWidth = 24;
  const int filled = total_ > 0 ? started_ * kBarWidth / total_ : kBarWidth;
  std::string line = "\r\033[K[" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') +
                     "] " + std::to_string(started_) + "/" + std::to_string(total_) + " ";
  const int room = TerminalWidth(out_) - static_cast<int>(line.size()) + 4;
  std::string name = current_;
  if (room > 3 && static_cast<int>(name.size()) > room) name = "..." + name.substr(name.size() - room + 3);
  std::fputs((line + name).c_str(), out_);
  std::fflush(out_);
  barShown_ = true;
}

}  // namespace qm
