#pragma once
// The start command: checks the inputs, asks once for what the mode needs,
// then hands every listed file, in order, to the exporter of the mode.

#include "engine/adapter/ApplicationFactory.h"
#include "engine/export/Powerpoint1.h"
#include "engine/batch/RunOptions.h"
#include "base/Ui.h"

namespace qm {

class BatchRun {
 public:
  /// All three outlive the run object.
  BatchRun(ApplicationFactory& factory, Ui& ui, RunOptions& options)
      : factory_(factory), ui_(ui), options_(options), exporters_(factory, ui) {}

  /// Runs the whole batch; returns when it is over or was refused. A second
  /// call while a run is under way (from a yield) returns at once.
  void Start();

  /// True from the start of a run's checks to its end.
  bool RunInProgress() const { return runInProgress_; }

  /// Set by start-up when the imaging layer could not be started.
  void SetGdiStartFailed(bool failed) { gdiStartFailed_ = failed; }

  /// The stitching direction of the current or last run.
  short StitchDirection() const { return exporters_.StitchDirection(); }

 private:
  ApplicationFactory& factory_;
  Ui& ui_;
  RunOptions& options_;
  Powerpoint1 exporters_;
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

}  // namespace qm
