#pragma once
// The front end of quillmere-batch's own process, used for what is asked once
// before the jobs start (the running-application warning).

#include <cstdio>

#include "base/Ui.h"

namespace qm {

class TerminalUi : public Ui {
 public:
  /// Messages go to `out` (not owned). A Yes/No question is asked on the
  /// terminal when standard input and `out` are terminals, else answered Yes.
  explicit TerminalUi(std::FILE* out) : out_(out) {}

  MessageAnswer Message(const std::string& text, MessageButtons buttons, MessageIcon icon,
                        const std::string& title) override;
  std::string InputBox(const std::string&, const std::string&, const std::string&) override {
    return "";
  }
  short ChooseStitchDirection() override { return 1; }
  void SetProgressValue(int) override {}
  void SetProgressText(const std::string&) override {}
  void SetPointer(Pointer pointer) override { pointer_ = pointer; }
  Pointer CurrentPointer() const override { return pointer_; }
  void Yield() override {}

 private:
  std::FILE* out_;
  Pointer pointer_ = Pointer::Default;
};

}  // namespace qm
