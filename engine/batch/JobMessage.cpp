#include "engine/batch/JobMessage.h"

#include <utility>

namespace qm {

bool DecodeJobMessage(WireMessage& message, JobMessage* decoded, std::string* why) {
  JobMessage out;
  out.type = static_cast<JobMessageType>(message.TypeByte());
  bool fits = true;
  switch (out.type) {
    case JobMessageType::kHello:
      out.magic = message.GetU32();
      out.version = message.GetU32();
      out.pid = message.GetU32();
      break;
    case JobMessageType::kReady:
      break;
    case JobMessageType::kReport: {
      fits = message.GetNonNegative(&out.position);
      out.text = message.GetString();
      const std::uint32_t consequence = message.GetU32();
      fits = fits && consequence <= 1;
      out.consequence = consequence == 1;
      break;
    }
    case JobMessageType::kFileStarted:
    case JobMessageType::kMessage:
    case JobMessageType::kQuestion:
      fits = message.GetNonNegative(&out.position);
      // kFileStarted carries the path too; the front end knows it already.
      out.text = message.GetString();
      break;
    case JobMessageType::kSkipped:
      fits = message.GetNonNegative(&out.position);
      break;
    case JobMessageType::kSlide:
      fits = message.GetNonNegative(&out.position) && message.GetNonNegative(&out.slide) &&
             message.GetNonNegative(&out.count);
      break;
    case JobMessageType::kWritten: {
      fits = message.GetNonNegative(&out.position);
      const std::uint32_t count = message.GetU32();
      // Each path takes at least its 4-byte length.
      if (fits && message.Ok() && count > message.Remaining() / 4) {
        *why = "a list of " + std::to_string(count) + " images in " +
               std::to_string(message.Remaining()) + " bytes";
        return false;
      }
      out.paths.reserve(fits ? count : 0);
      for (std::uint32_t i = 0; fits && i < count; ++i) {
        out.paths.push_back(message.GetString());
        fits = message.Ok();
      }
      break;
    }
    case JobMessageType::kFacts:
      fits = message.GetNonNegative(&out.position) && DeckFacts::GetFrom(message, &out.facts);
      break;
    case JobMessageType::kFileDone: {
      int slidesPlusOne = 0;
      fits = message.GetNonNegative(&out.position) && message.GetNonNegative(&slidesPlusOne);
      out.slides = slidesPlusOne - 1;
      break;
    }
    default:
      *why = "a message of unknown type " + std::to_string(message.TypeByte());
      return false;
  }
  if (!fits || !message.Ok() || !message.AtEnd()) {
    *why = "a message of type " + std::to_string(message.TypeByte()) +
           (message.Ok() && fits ? " with bytes left over" : " cut short or out of range");
    return false;
  }
  *decoded = std::move(out);
  return true;
}

}  // namespace qm
