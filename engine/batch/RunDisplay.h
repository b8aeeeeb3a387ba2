#pragma once
// What a run's front end shows while jobs convert its files side by side.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/ErrorTrap.h"
#include "base/Ui.h"
#include "engine/batch/JobEvents.h"
#include "engine/batch/OutputClashes.h"

namespace qm {

/// Shows what jobs report through the run's Ui the way a run converting one
/// file after another would have shown it, though the jobs work in parallel:
///  - each file's boxes (reports, plain messages, the clash and job-failure
///    reports) come together, in the order of its steps, and files in list
///    order: a file's boxes wait while an earlier file is still under way;
///    a question is asked at once (its job waits for the answer);
///  - the progress bar measures work done: the files finished plus the
///    share of slides done of each file under way, over the run's files; it
///    reaches 100 only when the last file is finished;
///  - the caption names a file being converted now ("Processing: " + name).
/// Everything is passed on to `observer` (when given) as it comes.
class RunDisplay : public JobEvents {
 public:
  RunDisplay(Ui& ui, ErrorTrap& trap, JobEvents* observer, const bool& cancelRequested,
             const std::vector<FileTask>& work);

  void FileStarted(const FileTask& task) override;
  void SlideStarted(const FileTask& task, int slide, int count) override;
  void Report(const FileTask& task, const std::string& text, bool consequence) override;
  void Message(const FileTask& task, const std::string& text) override;
  bool Question(const FileTask& task, const std::string& text) override;
  void FileFacts(const FileTask& task, const DeckFacts& facts) override {
    if (observer_) observer_->FileFacts(task, facts);
  }
  void FileSkipped(const FileTask& task) override {
    if (observer_) observer_->FileSkipped(task);
  }
  void FileDone(const FileTask& task, const std::vector<std::string>& written,
                int slideCount) override;
  void JobFailed(const FileTask* stopped, int slide, const std::vector<FileTask>& unconverted,
                 const std::string& description) override;
  bool Poll() override;

  /// Shows every box still held, files in list order (after a cancel, or a
  /// job that died with files it never started).
  void ShowAllHeld();

 private:
  /// Shows `box` now when `position` is the earliest file not yet finished,
  /// else holds it until that file's turn.
  void ShowFor(int position, std::function<void()> box);
  void Finished(int position);
  void ShowProgress();
  void ShowCaption(const FileTask& task);

  Ui& ui_;
  ErrorTrap& trap_;
  JobEvents* observer_;
  const bool& cancelRequested_;
  std::vector<FileTask> order_;  ///< the run's files, in list order
  std::size_t head_ = 0;         ///< index in order_ of the earliest file not finished
  std::map<int, std::vector<std::function<void()>>> held_;  ///< boxes by list position
  std::set<int> finished_;
  std::map<int, double> underway_;  ///< list position -> share of its slides done
  int captioned_ = 0;               ///< list position the caption names; 0 none
  std::set<int> drawing_;           ///< list positions whose slides have started
  int shownValue_ = -1;
  OutputClashes clashes_;
};

}  // namespace qm
