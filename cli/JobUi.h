#pragma once
// The front end of one conversion job: it answers from the command line and
// sends everything a person should see to the parent process as events.

#include <string>

#include "base/Ui.h"

namespace qm {

class JobUi : public Ui {
 public:
  /// Events go to the file descriptor `eventFd` (not owned). The slide-number
  /// question is answered with `slideText`, the direction choice with `direction`.
  JobUi(int eventFd, std::string slideText, short direction)
      : eventFd_(eventFd), slideText_(std::move(slideText)), direction_(direction) {}

  /// Error reports are sent as reports, plain messages as messages; Yes/No
  /// questions are answered Yes without a word (the parent asked the person
  /// before the jobs started).
  MessageAnswer Message(const std::string& text, MessageButtons buttons, MessageIcon icon,
                        const std::string& title) override;
  std::string InputBox(const std::string&, const std::string&, const std::string&) override {
    return slideText_;
  }
  short ChooseStitchDirection() override { return direction_; }
  void SetProgressValue(int) override {}
  void SetProgressText(const std::string& text) override;
  void SetPointer(Pointer pointer) override { pointer_ = pointer; }
  Pointer CurrentPointer() const override { return pointer_; }
  void Yield() override {}

  /// Number of error reports sent.
  int Reports() const { return reports_; }

 private:
  void Send(char kind, const std::string& text);

  int eventFd_;
  std::string slideText_;
  short direction_;
  Pointer pointer_ = Pointer::Default;
  int reports_ = 0;
};

}  // namespace qm
