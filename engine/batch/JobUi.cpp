#include "engine/batch/JobUi.h"

#include "engine/batch/JobMessageType.h"

namespace qm {

namespace {
/// How long the front end may take to answer a question before No is assumed.
constexpr int kAnswerTimeoutMs = 24 * 3600 * 1000;
}  // namespace

MessageAnswer JobUi::Message(const std::string& text, MessageButtons buttons, MessageIcon icon,
                             const std::string&) {
  if (buttons == MessageButtons::YesNo) {
    if (cancel_.Requested() || !Send(static_cast<std::uint8_t>(JobMessageType::kQuestion), text))
      return MessageAnswer::No;
    WireMessage answer;
    if (channel_.Read(kAnswerTimeoutMs, &answer) != FrameChannel::ReadStatus::kOk ||
        answer.TypeByte() != static_cast<std::uint8_t>(JobMessageType::kAnswer))
      return MessageAnswer::No;
    return answer.GetU32() == 1 ? MessageAnswer::Yes : MessageAnswer::No;
  }
  if (icon == MessageIcon::Warning) {
    Report(text, false);
  } else if (!cancel_.Requested()) {
    Send(static_cast<std::uint8_t>(JobMessageType::kMessage), text);
  }
  return MessageAnswer::Ok;
}

void JobUi::Report(const std::string& text, bool consequence) {
  if (cancel_.Requested()) return;
  WireMessage message(static_cast<std::uint8_t>(JobMessageType::kReport));
  message.PutU32(static_cast<std::uint32_t>(position_));
  message.PutString(text);
  message.PutU32(consequence ? 1 : 0);
  // A front end that is gone ends the job through its socket.
  (void)channel_.Write(message);
}

bool JobUi::Send(std::uint8_t type, const std::string& text) {
  WireMessage message(type);
  message.PutU32(static_cast<std::uint32_t>(position_));
  message.PutString(text);
  return channel_.Write(message);
}

void JobUi::SendSlide(int slide, int count) {
  WireMessage message(static_cast<std::uint8_t>(JobMessageType::kSlide));
  message.PutU32(static_cast<std::uint32_t>(position_));
  message.PutU32(static_cast<std::uint32_t>(slide));
  message.PutU32(static_cast<std::uint32_t>(count));
  channel_.Write(message);
}

}  // namespace qm
