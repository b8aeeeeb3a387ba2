#pragma once
// The front end of a conversion job: everything a person should see goes to
// the program that started the job, as typed messages.

#include <string>

#include "base/CancelToken.h"
#include "base/Ui.h"
#include "engine/protocol/FrameChannel.h"

namespace qm {

/// A Ui over the job's connection (JobMessageType.h). Reports and plain
/// messages are sent for the file being converted; a Yes/No question is put
/// to the front end and its answer awaited. Nothing here is asked at the
/// start of a run (the slide number and the direction travel in the task).
/// Once the run is cancelled nothing more is sent but the question's answer
/// No: what fails then fails because of the cancel.
class JobUi : public Ui {
 public:
  /// Sends through `channel` (not owned); `cancel` (not owned) is the job's.
  JobUi(FrameChannel& channel, const CancelToken& cancel) : channel_(channel), cancel_(cancel) {}

  MessageAnswer Message(const std::string& text, MessageButtons buttons, MessageIcon icon,
                        const std::string& title) override;
  /// Sends the report with its consequence mark (kReport).
  void Report(const std::string& text, bool consequence) override;
  std::optional<std::string> InputBox(const std::string&, const std::string&,
                                      const std::string&) override {
    return std::nullopt;
  }
  short ChooseStitchDirection() override { return 1; }
  void SetProgressValue(int) override {}
  void SetProgressText(const std::string&) override {}
  void SetPointer(Pointer pointer) override { pointer_ = pointer; }
  Pointer CurrentPointer() const override { return pointer_; }
  void Yield() override {}

  /// The list position that later messages are about.
  void SetPosition(int position) { position_ = position; }

  /// Sends one message carrying the position and `text`. False when the
  /// front end is gone.
  bool Send(std::uint8_t type, const std::string& text);
  /// Tells the front end that slide `slide` of `count` is being rendered.
  void SendSlide(int slide, int count);

 private:
  FrameChannel& channel_;
  const CancelToken& cancel_;
  int position_ = 0;
  Pointer pointer_ = Pointer::Default;
};

}  // namespace qm
