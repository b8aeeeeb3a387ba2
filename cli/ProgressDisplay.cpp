#include "cli/ProgressDisplay.h"

#include "base/Paths.h"
#include "base/Utf8.h"
#include "engine/adapter/LinkedPictureProbe.h"

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
  current_ = EscapedName(FileNamePart(task.path));
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

FileRecord& ProgressDisplay::RecordOf(const FileTask& task) {
  FileRecord& record = records_[task.position];
  record.path = task.path;
  return record;
}

void ProgressDisplay::Report(const FileTask& task, const std::string& text, bool) {
  failed_.emplace(task.position, task.path);
  FileRecord& record = RecordOf(task);
  record.status = "failed";
  record.reasons.push_back(TerminalText(text));
}

void ProgressDisplay::FileDone(const FileTask& task, const std::vector<std::string>& written,
                               int slideCount) {
  FileRecord& record = RecordOf(task);
  record.images = written;
  record.slides = slideCount;
  if (linksBlocked_ && !written.empty()) {
    if (const int linked = CountLinkedPictures(task.path); linked > 0) {
      record.notes.push_back(LinkedPicturesNote(linked));
      Note("quillmere-batch: " + EscapedName(task.path) + ": " + record.notes.back() + ".");
    }
  }
  if (failed_.count(task.position) != 0 || upToDate_.count(task.position) != 0) return;
  // The exporters write nothing and say nothing for a slide that does not
  // exist; here that is a file not converted.
  if (written.empty() && slideCount >= 0 &&
      ((task.kind == ExportKind::kOneSlide && (task.slide < 1 || task.slide > slideCount)) ||
       (task.kind == ExportKind::kEachSlide && (slideCount == 0 || !task.request.slides.empty())))) {
    const std::string has = "has " + std::to_string(slideCount) + " slide(s); ";
    const std::string why = slideCount == 0 ? "has no slides"
                            : task.kind == ExportKind::kEachSlide
                                ? has + "none of the slides asked for (" + task.request.SlidesText() + ")"
                                : has + "there is no slide " + std::to_string(task.slide);
    notConverted_.emplace_back(task.path, why);
    record.status = "not-converted";
    record.reasons.push_back(why);
    Note("quillmere-batch: " + EscapedName(task.path) + " " + why + "; nothing was written.");
    return;
  }
  converted_.insert(task.position);
  record.status = "converted";
}

void ProgressDisplay::FileSkipped(const FileTask& task) {
  upToDate_.insert(task.position);
  RecordOf(task).status = "skipped";
}

void ProgressDisplay::FileFacts(const FileTask& task, const DeckFacts& facts) {
  FileRecord& record = RecordOf(task);
  record.fontsMissing = facts.fontsMissing;
  record.slideDetails = facts.slides;
  for (const std::string& remark : facts.leftOut) {
    record.notes.push_back(remark);
    Note("quillmere-batch: " + EscapedName(task.path) + ": " + remark + ".");
  }
  if (!facts.fontsMissing.empty()) replacedFonts_[task.position] = task.path;
}

void ProgressDisplay::Replaced(const FileTask& earlier, const FileTask& later) {
  if (converted_.erase(earlier.position) == 0) return;  // counted already, as failed
  const std::string why = "its images were written again by " + later.path;
  notConverted_.emplace_back(earlier.path, why);
  FileRecord& record = RecordOf(earlier);
  record.status = "not-converted";
  record.reasons.push_back(why);
}

void ProgressDisplay::JobFailed(const FileTask* stopped, int slide,
                                const std::vector<FileTask>& unconverted,
                                const std::string& description) {
  const auto notConverted = [this](const FileTask& task, const std::string& why) {
    notConverted_.emplace_back(task.path, why);
    FileRecord& record = RecordOf(task);
    record.status = "not-converted";
    record.reasons.push_back(why);
  };
  if (stopped != nullptr)
    notConverted(*stopped, description + (slide > 0 ? " at slide " + std::to_string(slide) : ""));
  for (const FileTask& task : unconverted) notConverted(task, description + " before it reached this file");
}

void ProgressDisplay::Skipped(const SkippedPath& skipped) {
  ++skipped_;
  skippedRecords_.push_back({skipped.path, "skipped", {}, -1, {skipped.reason}, {}, {}, {}});
  Note("quillmere-batch: skipped " + EscapedName(skipped.path) + ": " + skipped.reason + ".");
}

bool ProgressDisplay::Summarize(const std::string& where) {
  ClearBar();
  const int failed = static_cast<int>(failed_.size());
  const int notConverted = static_cast<int>(notConverted_.size());
  if (!quiet_ || failed > 0 || notConverted > 0)
    std::fprintf(out_, "Done: %d file(s): %d converted, %d failed, %d not converted, %d skipped.%s\n",
                 total_ + skipped_, Converted(), failed, notConverted,
                 skipped_ + static_cast<int>(upToDate_.size()),
                 Converted() > 0 ? (" The images are " + where + ".").c_str() : "");
  if (failed > 0) {
    std::fprintf(out_, "Failed (see the reports above):\n");
    for (const auto& [position, path] : failed_) std::fprintf(out_, "  %s\n", EscapedName(path).c_str());
  }
  if (notConverted > 0) {
    std::fprintf(out_, "Not converted:\n");
    for (const auto& [path, why] : notConverted_)
      std::fprintf(out_, "  %s: %s\n", EscapedName(path).c_str(), why.c_str());
  }
  // A deck refused for its fonts is among the failed ones already.
  bool headed = false;
  for (const auto& [position, path] : replacedFonts_) {
    if (failed_.count(position) != 0) continue;
    if (!headed) std::fprintf(out_, "Drawn with other fonts than they ask for (this machine lacks them):\n");
    headed = true;
    std::string fonts;
    for (const std::string& font : records_[position].fontsMissing)
      fonts += (fonts.empty() ? "" : ", ") + EscapedName(font);
    std::fprintf(out_, "  %s: %s\n", EscapedName(path).c_str(), fonts.c_str());
  }
  std::fflush(out_);
  return failed == 0 && notConverted == 0;
}

std::string EscapedName(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  const auto hex = [](unsigned char byte) {
    return std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
  };
  std::string out;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    char32_t c = 0;
    if (!DecodeUtf8(text, pos, c)) {  // a byte that is no part of a character
      out += hex(static_cast<unsigned char>(text[start]));
      continue;
    }
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else if (c < 32 || c == 127) out += hex(static_cast<unsigned char>(c));
    else out.append(text, start, pos - start);
  }
  return out;
}

void ProgressDisplay::Note(const std::string& text) {
  ClearBar();
  std::fprintf(out_, "%s\n", text.c_str());
  if (terminal_ && !quiet_ && started_ > 0) DrawBar();
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
