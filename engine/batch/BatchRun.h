#pragma once
// The start command: checks the inputs, asks once for what the mode needs,
// then hands every listed file, in order, to conversion jobs that run the
// exporter of the mode.

#include <vector>

#include "engine/adapter/ApplicationFactory.h"
#include "engine/batch/FileTask.h"
#include "engine/batch/JobEvents.h"
#include "engine/batch/RunOptions.h"
#include "base/Ui.h"

namespace qm {

class BatchRun {
 public:
  /// All three outlive the run object.
  /// `factory` is asked only whether a presentation application runs
  /// already; the conversions run in job processes.
  BatchRun(ApplicationFactory& factory, Ui& ui, RunOptions& options)
      : factory_(factory), ui_(ui), options_(options) {}

  /// Runs the whole batch; returns when it is over or was refused. A second
  /// call while a run is under way (from a yield) returns at once.
  void Start();

  /// True from the start of a run's checks to its end.
  bool RunInProgress() const { return runInProgress_; }

  /// Set by start-up when the imaging layer could not be started.
  void SetGdiStartFailed(bool failed) { gdiStartFailed_ = failed; }

  /// The stitching direction of the current or last run.
  short StitchDirection() const { return stitchDirection_; }

  /// Converts the files through `runner`'s job processes (null: a runner of
  /// DefaultJobPath() and DefaultJobCount() for each run). The runner
  /// outlives the run. The run resolves every file's task when the loop
  /// starts, then shows progress as the jobs report it.
  void SetJobRunner(class JobRunner* runner) { runner_ = runner; }

  /// Also tells `observer` (not owned; null for none) every event of a run
  /// through jobs, after the run has shown it.
  void SetObserver(JobEvents* observer) { observer_ = observer; }

  /// Asks the run under way to stop at the next slide (from a yield).
  void Cancel() { cancelRequested_ = true; }
  /// True when the last run through jobs was cancelled.
  bool Cancelled() const { return cancelled_; }

 private:
  ApplicationFactory& factory_;
  Ui& ui_;
  RunOptions& options_;
  /// Steps 140 to 166 for the file at `position`: the task, or kind kNone
  /// when the mode names no exporter or the slide number fails.
  FileTask ResolveTask(class ErrorTrap& trap, int position, const std::string& path,
                       const std::string& x, std::string& outputFolder);
  void ConvertThroughJobs(class ErrorTrap& trap, const std::vector<FileTask>& tasks);

  short stitchDirection_ = 1;
  class JobRunner* runner_ = nullptr;
  JobEvents* observer_ = nullptr;
  bool cancelRequested_ = false;
  bool cancelled_ = false;
  bool runInProgress_ = false;
  bool gdiStartFailed_ = false;
};

/// True when `text` reads as a number: optional blanks around an optional
/// sign, digits with an optional decimal point and exponent.
bool IsNumeric(const std::string& text);

/// `text` as a 16-bit slide number, rounded to the nearest whole number with
/// halves going to the even neighbour (2.5 gives 2, 3.5 gives 4). Throws
/// qm::Error when it is not numeric or outside -32768..32767.
short SlideNumberFromText(const std::string& text);

/// The sentence for a job that ended before finishing its files: the file it
/// stopped in and the slide, then the files it never started.
std::string DescribeJobFailure(const FileTask* stopped, int slide,
                               const std::vector<FileTask>& unconverted,
                               const std::string& description);

}  // namespace qm
