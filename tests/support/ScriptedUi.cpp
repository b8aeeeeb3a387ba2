#include "tests/support/ScriptedUi.h"

namespace qm::test {

MessageAnswer ScriptedUi::Message(const std::string& text, MessageButtons buttons,
                                  MessageIcon icon, const std::string& title) {
  calls.push_back({"message", text, title, buttons, icon, 0});
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  if (yesNoAnswers.empty()) return MessageAnswer::Yes;
  const MessageAnswer answer = yesNoAnswers.front();
  yesNoAnswers.pop_front();
  return answer;
}

std::optional<std::string> ScriptedUi::InputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) {
  calls.push_back({"input", prompt, title, MessageButtons::Ok, MessageIcon::None, 0});
  (void)defaultText;
  if (inputAnswers.empty()) return std::nullopt;
  std::string answer = inputAnswers.front();
  inputAnswers.pop_front();
  return answer;
}

short ScriptedUi::ChooseStitchDirection() {
  calls.push_back({"direction", "", "", MessageButtons::Ok, MessageIcon::None, 0});
  if (directionAnswers.empty()) return 1;
  const short answer = directionAnswers.front();
  directionAnswers.pop_front();
  return answer;
}

void ScriptedUi::SetProgressValue(int value) {
  calls.push_back({"progress value", "", "", MessageButtons::Ok, MessageIcon::None, value});
}

void ScriptedUi::SetProgressText(const std::string& text) {
  calls.push_back({"progress text", text, "", MessageButtons::Ok, MessageIcon::None, 0});
}

void ScriptedUi::SetPointer(Pointer pointer) {
  pointer_ = pointer;
  calls.push_back({"pointer", "", "", MessageButtons::Ok, MessageIcon::None,
                   static_cast<int>(pointer)});
}

void ScriptedUi::Yield() {
  calls.push_back({"yield", "", "", MessageButtons::Ok, MessageIcon::None, 0});
  if (onYield) onYield();
}

std::vector<std::string> ScriptedUi::Messages() const {
  std::vector<std::string> out;
  for (const auto& c : calls)
    if (c.kind == "message") out.push_back(c.text);
  return out;
}

std::vector<std::string> ScriptedUi::Reports() const {
  std::vector<std::string> out;
  for (const auto& c : calls)
    if (c.kind == "message" && c.icon == MessageIcon::Warning) out.push_back(c.text);
  return out;
}

std::vector<UiCall> ScriptedUi::CallsOf(const std::string& kind) const {
  std::vector<UiCall> out;
  for (const auto& c : calls)
    if (c.kind == kind) out.push_back(c);
  return out;
}

int ReportedLine(const std::string& reportText) {
  const std::string marker = "at line ";
  const auto at = reportText.find(marker);
  if (at == std::string::npos) return -1;
  return std::stoi(reportText.substr(at + marker.size()));
}

}  // namespace qm::test
