#pragma once
// Numbered steps under an error trap. A procedure of substance reads as its
// numbered steps:
//
//   ErrorTrap trap(ui, "Powerpoint1", "SaveXSlideAsImage");
//   trap.Step(118, [&] { app = factory.Create("PowerPoint.Application"); });
//   if (trap.HoldsOrFails(124, [&] { return pres->Slides().Count() >= n; })) {
//     trap.Step(126, [&] { ... });
//   }
//
// A step that throws is reported with its line number and the procedure goes
// on with the next step. A test that throws counts as passed (HoldsOrFails).

#include <exception>
#include <string>
#include <utility>

#include "base/ErrorReport.h"
#include "base/Ui.h"

namespace qm {

class ErrorTrap {
 public:
  /// The trap reports through `ui` with the tag prefix + module + "." + procedure + " ".
  ErrorTrap(Ui& ui, const std::string& module, const std::string& procedure,
            const std::string& tagPrefix = kTessalyTagPrefix)
      : ui_(ui), tag_(LocationTag(module, procedure, tagPrefix)) {}

  /// Runs `step`. Returns true when it ran to its end; false when it threw, in
  /// which case the error report was shown with `line`.
  template <class F>
  bool Step(int line, F&& step) {
    try {
      std::forward<F>(step)();
      return true;
    } catch (...) {
      Report(line, std::current_exception());
      return false;
    }
  }

  /// Evaluates the condition `test`. Returns its value; when evaluating it
  /// threw, reports with `line` and returns true: a test that fails counts as
  /// passed, so the steps it guards still run.
  template <class F>
  bool HoldsOrFails(int line, F&& test) {
    try {
      return static_cast<bool>(std::forward<F>(test)());
    } catch (...) {
      Report(line, std::current_exception());
      return true;
    }
  }

  /// Shows the report for `description` at `line`, as a failing step would;
  /// `consequence` marks one that only follows from an earlier report.
  void Report(int line, const std::string& description, bool consequence = false);

  /// Number of reports this trap has shown.
  int Reports() const { return reports_; }

  /// The front end the trap reports through.
  Ui& ui() const { return ui_; }

  /// The location tag, ending in a blank.
  const std::string& Tag() const { return tag_; }

 private:
  void Report(int line, std::exception_ptr error);

  Ui& ui_;
  std::string tag_;
  int reports_ = 0;
};

}  // namespace qm
