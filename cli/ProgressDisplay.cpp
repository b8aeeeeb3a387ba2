#include "cli/ProgressDisplay.h"

#include "base/Paths.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace qm {

namespace {

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

void ProgressDisplay::FileStarted(const FileTask& task) {
  ++started_;
  current_ = FileNamePart(task.path);
  slide_.clear();
  if (quiet_) return;
  if (terminal_) {
    DrawBar();
  } else {
    std::fprintf(out_, "[%d/%d] %s\n", started_, total_, current_.c_str());
    std::fflush(out_);
  }
}

void ProgressDisplay::SlideStarted(const FileTask&, int slide, int count) {
  slide_ = " (slide " + std::to_string(slide) + (count > 0 ? " of " + std::to_string(count) : "") + ")";
  if (!quiet_ && terminal_) DrawBar();
}

void ProgressDisplay::Report(const FileTask& task, const std::string&) {
  reported_.insert(task.position);
}

void ProgressDisplay::FileDone(const FileTask& task, const std::vector<std::string>&) {
  if (reported_.count(task.position) == 0) ++converted_;
}

void ProgressDisplay::JobFailed(const FileTask* stopped, int slide,
                                const std::vector<FileTask>& unconverted,
                                const std::string& description) {
  notConverted_ += (stopped != nullptr ? 1 : 0) + static_cast<int>(unconverted.size());
  (void)slide;
  (void)description;
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
  std::string name = current_ + slide_;
  if (room > 3 && static_cast<int>(name.size()) > room) name = "..." + name.substr(name.size() - room + 3);
  std::fputs((line + name).c_str(), out_);
  std::fflush(out_);
  barShown_ = true;
}

}  // namespace qm
