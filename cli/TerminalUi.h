#pragma once
// The front end of quillmere-batch: the run's questions are answered from
// the command line, its messages and reports are written to the terminal.

#include <cstdio>
#include <string>

#include "base/Ui.h"

namespace qm {

class ProgressDisplay;

class TerminalUi : public Ui {
 public:
  /// Messages go through `display` (not owned), which clears its progress bar
  /// first. The slide-number question is answered with `slideText`, the
  /// direction choice with `direction`. A Yes/No question is asked on the
  /// terminal when standard input and standard error are terminals, else
  /// answered Yes.
  ///
  /// A report (an error of a step) is written as its cause alone, one line,
  /// and a consequence (a report that only follows from an earlier one, as
  /// the steps after a failed open) is left out; with `verbose`, every
  /// report is written whole, with where it arose.
  TerminalUi(ProgressDisplay& display, std::string slideText, short direction, bool verbose = false)
      : display_(display), slideText_(std::move(slideText)), direction_(direction), verbose_(verbose) {}

  MessageAnswer Message(const std::string& text, MessageButtons buttons, MessageIcon icon,
                        const std::string& title) override;
  void Report(const std::string& text, bool consequence) override;
  std::optional<std::string> InputBox(const std::string&, const std::string&,
                                      const std::string&) override {
    return slideText_;
  }
  short ChooseStitchDirection() override { return direction_; }
  void SetProgressValue(int) override {}
  void SetProgressText(const std::string&) override {}
  void SetPointer(Pointer pointer) override { pointer_ = pointer; }
  Pointer CurrentPointer() const override { return pointer_; }
  void Yield() override {}
  /// The summary says how the run ended.
  void RunEnded(const std::string&) override {}

 private:
  ProgressDisplay& display_;
  std::string slideText_;
  short direction_;
  Pointer pointer_ = Pointer::Default;
  bool verbose_;
};

}  // namespace qm
