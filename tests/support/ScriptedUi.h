#pragma once
// A test front end: records every call in order and answers from a script.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/Ui.h"

namespace qm::test {

/// One recorded call. `kind` is "message", "input", "direction",
/// "progress value", "progress text", "pointer" or "yield"; the other fields
/// hold what was passed.
struct UiCall {
  std::string kind;
  std::string text;   ///< message text, input prompt, progress text
  std::string title;  ///< message or input title
  MessageButtons buttons = MessageButtons::Ok;
  MessageIcon icon = MessageIcon::None;
  int value = 0;  ///< progress value or pointer value
};

class ScriptedUi : public Ui {
 public:
  /// Answers for Yes/No boxes, taken in order; Yes when the script is empty.
  std::deque<MessageAnswer> yesNoAnswers;
  /// Answers for input boxes, taken in order; once none is left, the
  /// question is given up (cancelled).
  std::deque<std::string> inputAnswers;
  /// Answers for the direction choice, taken in order; 1 when empty.
  std::deque<short> directionAnswers;
  /// Called at every Yield(), for tests that change the world mid-run.
  std::function<void()> onYield;

  std::vector<UiCall> calls;

  MessageAnswer Message(const std::string& text, MessageButtons buttons, MessageIcon icon,
                        const std::string& title) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override;
  short ChooseStitchDirection() override;
  void SetProgressValue(int value) override;
  void SetProgressText(const std::string& text) override;
  void SetPointer(Pointer pointer) override;
  Pointer CurrentPointer() const override { return pointer_; }
  void Yield() override;

  /// The texts of all message boxes, in order.
  std::vector<std::string> Messages() const;
  /// The texts of the warning-icon (error report) boxes, in order.
  std::vector<std::string> Reports() const;
  /// The calls of one kind, in order.
  std::vector<UiCall> CallsOf(const std::string& kind) const;

 private:
  Pointer pointer_ = Pointer::Default;
};

/// The line number quoted by an error report text ("... at line N\r\r..."), or -1.
int ReportedLine(const std::string& reportText);

}  // namespace qm::test
