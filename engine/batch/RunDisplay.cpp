#include "engine/batch/RunDisplay.h"

#include <algorithm>
#include <utility>

#include "base/ErrorReport.h"
#include "base/Paths.h"
#include "engine/batch/BatchRun.h"
#include "engine/batch/BatchRunLines.h"

namespace qm {

RunDisplay::RunDisplay(Ui& ui, ErrorTrap& trap, JobEvents* observer, const bool& cancelRequested,
                       const std::vector<FileTask>& work)
    : ui_(ui), trap_(trap), observer_(observer), cancelRequested_(cancelRequested), order_(work) {}

void RunDisplay::FileStarted(const FileTask& task) {
  underway_[task.position] = 0.0;
  ShowProgress();
  ShowCaption(task);
  trap_.Step(kYield, [&] { ui_.Yield(); });
  if (observer_) observer_->FileStarted(task);
}

void RunDisplay::SlideStarted(const FileTask& task, int slide, int count) {
  // Slide `slide` is starting: the ones before it are done.
  if (count > 0 && underway_.count(task.position) != 0) {
    underway_[task.position] = std::clamp(static_cast<double>(slide - 1) / count, 0.0, 1.0);
    ShowProgress();
  }
  // The deck is open: the caption says it is being converted now.
  if (drawing_.insert(task.position).second && captioned_ == task.position) ShowCaption(task);
  if (observer_) observer_->SlideStarted(task, slide, count);
}

void RunDisplay::Report(const FileTask& task, const std::string& text, bool consequence) {
  ShowFor(task.position, [this, text, consequence] { ui_.Report(text, consequence); });
  if (observer_) observer_->Report(task, text, consequence);
}

void RunDisplay::Message(const FileTask& task, const std::string& text) {
  ShowFor(task.position, [this, text] { ShowPlainMessage(ui_, text); });
  if (observer_) observer_->Message(task, text);
}

bool RunDisplay::Question(const FileTask& task, const std::string& text) {
  const bool yes = ShowPlainMessage(ui_, text, MessageButtons::YesNo) == MessageAnswer::Yes;
  if (observer_) observer_->Question(task, text);
  return yes;
}

void RunDisplay::FileDone(const FileTask& task, const std::vector<std::string>& written,
                          int slideCount) {
  if (const auto clash = clashes_.Note(task, written)) {
    const int line = task.line;
    const std::string sentence = clash->sentence;
    ShowFor(task.position, [this, line, sentence] { trap_.Report(line, sentence); });
    if (observer_) {
      observer_->Report(task, clash->sentence, false);
      observer_->Replaced(clash->earlier, task);
    }
  }
  if (observer_) observer_->FileDone(task, written, slideCount);
  Finished(task.position);
}

void RunDisplay::JobFailed(const FileTask* stopped, int slide,
                           const std::vector<FileTask>& unconverted,
                           const std::string& description) {
  const std::string text = DescribeJobFailure(stopped, slide, unconverted, description);
  const int line = stopped != nullptr ? stopped->line : kCountFiles;
  const auto report = [this, line, text] { trap_.Report(line, text); };
  if (stopped != nullptr)
    ShowFor(stopped->position, report);
  else if (!unconverted.empty())
    ShowFor(unconverted.front().position, report);
  else
    report();
  if (observer_) observer_->JobFailed(stopped, slide, unconverted, description);
  if (stopped != nullptr) Finished(stopped->position);
  for (const FileTask& task : unconverted) Finished(task.position);
}

bool RunDisplay::Poll() {
  ui_.Yield();
  if (observer_ && observer_->Poll()) return true;
  return cancelRequested_;
}

void RunDisplay::ShowAllHeld() {
  // Moved out first: a box may yield, and nothing may be shown twice.
  auto held = std::move(held_);
  held_.clear();
  for (const FileTask& task : order_) {
    const auto it = held.find(task.position);
    if (it == held.end()) continue;
    for (const auto& box : it->second) box();
    held.erase(it);
  }
  for (const auto& [position, boxes] : held)  // none expected: every box has its file
    for (const auto& box : boxes) box();
  head_ = order_.size();
}

void RunDisplay::ShowFor(int position, std::function<void()> box) {
  if (head_ < order_.size() && order_[head_].position == position) {
    box();
    return;
  }
  held_[position].push_back(std::move(box));
}

void RunDisplay::Finished(int position) {
  finished_.insert(position);
  underway_.erase(position);
  // The next files in list order have their turn: what they held is shown,
  // and a file finished already hands on at once.
  while (head_ < order_.size() && finished_.count(order_[head_].position) != 0) {
    ++head_;
    if (head_ == order_.size()) break;
    const auto it = held_.find(order_[head_].position);
    if (it == held_.end()) continue;
    auto boxes = std::move(it->second);
    held_.erase(it);
    for (const auto& box : boxes) box();
  }
  ShowProgress();
  if (captioned_ == position && !underway_.empty()) {
    const int next = underway_.begin()->first;
    const auto task = std::find_if(order_.begin(), order_.end(),
                                   [next](const FileTask& t) { return t.position == next; });
    if (task != order_.end()) ShowCaption(*task);
  }
}

void RunDisplay::ShowProgress() {
  trap_.Step(kShowProgress, [&] {
    if (order_.empty()) return;
    double done = static_cast<double>(finished_.size());
    for (const auto& [position, share] : underway_) done += share;
    int value = static_cast<int>(done / static_cast<double>(order_.size()) * 100.0);
    // Full only when the last file is finished.
    if (finished_.size() < order_.size()) value = std::min(value, 99);
    if (value == shownValue_) return;
    shownValue_ = value;
    ui_.SetProgressValue(value);
  });
}

void RunDisplay::ShowCaption(const FileTask& task) {
  captioned_ = task.position;
  // Opening a big deck, or the first renderer's start, takes seconds with no
  // slide to count: the caption says what is going on meanwhile.
  const char* doing = drawing_.count(task.position) != 0 ? "Processing: " : "Opening: ";
  trap_.Step(kShowCaption, [&] { ui_.SetProgressText(doing + FileNamePart(task.path)); });
}

}  // namespace qm
