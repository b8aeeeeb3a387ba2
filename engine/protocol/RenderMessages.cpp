#include "engine/protocol/RenderMessages.h"

#include <utility>

namespace qm {

namespace {

/// A 32-bit field read as a signed number: a slide index or a size the
/// worker itself refuses when it is negative.
std::int32_t GetSigned(WireMessage& message) { return static_cast<std::int32_t>(message.GetU32()); }

/// Says in `*why` (when given) why `message` does not decode: `unknown` for
/// a type this side never receives, else what its fields lack; false.
bool Refuse(const WireMessage& message, bool unknown, bool fits, std::string* why) {
  if (why == nullptr) return false;
  const std::string type = "a message of type " + std::to_string(message.TypeByte());
  if (unknown)
    *why = type + ", which is not one this side receives";
  else if (!fits)
    *why = type + " whose fields do not hold (a count or size out of range, or an unknown flag)";
  else if (!message.Ok())
    *why = type + " cut short";
  else
    *why = type + " with " + std::to_string(message.Remaining()) + " bytes more than its fields";
  return false;
}

}  // namespace

bool DecodeRenderReply(WireMessage& message, RenderReply* reply, std::string* why) {
  RenderReply out;
  out.type = message.Type();
  bool fits = true;
  switch (out.type) {
    case RenderMessageType::kHello:
      out.magic = message.GetU32();
      out.version = message.GetU32();
      out.pid = message.GetU32();
      if (!message.AtEnd()) out.text = message.GetString();
      break;
    case RenderMessageType::kFatal:
      out.text = message.GetString();
      break;
    case RenderMessageType::kOpened:
      fits = message.GetNonNegative(&out.slideCount);
      out.widthTwips = message.GetI64();
      out.heightTwips = message.GetI64();
      fits = fits && DeckFacts::GetFrom(message, &out.facts);
      break;
    case RenderMessageType::kExported:
      fits = message.GetNonNegative(&out.width) && message.GetNonNegative(&out.height);
      break;
    case RenderMessageType::kFailed:
      out.failure = static_cast<RenderFailure>(message.GetU32());
      out.text = message.GetString();
      break;
    case RenderMessageType::kHiddenSlides: {
      int count = 0;
      // Each index takes 4 bytes: a count past them is a damaged message.
      fits = message.GetNonNegative(&count) && static_cast<std::size_t>(count) <= message.Remaining() / 4;
      for (int i = 0; fits && i < count; ++i) {
        int index = 0;
        fits = message.GetNonNegative(&index);
        out.hidden.push_back(index);
      }
      break;
    }
    case RenderMessageType::kStepsReady: {
      const std::uint32_t drawable = message.GetU32();
      out.text = message.GetString();
      fits = drawable <= 1;
      out.drawable = drawable == 1;
      break;
    }
    case RenderMessageType::kClosed:
    case RenderMessageType::kBye:
      break;
    default:
      return Refuse(message, true, true, why);
  }
  if (!fits || !message.Ok() || !message.AtEnd()) return Refuse(message, false, fits, why);
  *reply = std::move(out);
  return true;
}

bool DecodeRenderRequest(WireMessage& message, RenderRequest* request, std::string* why) {
  RenderRequest out;
  out.type = message.Type();
  bool fits = true;
  switch (out.type) {
    case RenderMessageType::kOpen:
      out.path = message.GetString();
      break;
    case RenderMessageType::kExport:
      out.index = GetSigned(message);
      out.path = message.GetString();
      fits = DrawRequest::GetFrom(message, &out.drawing);
      break;
    case RenderMessageType::kSteps:
      out.index = GetSigned(message);
      fits = DrawRequest::GetFrom(message, &out.drawing);
      break;
    case RenderMessageType::kClose:
    case RenderMessageType::kQuit:
    case RenderMessageType::kHidden:
      break;
    default:
      return Refuse(message, true, true, why);
  }
  if (!fits || !message.Ok() || !message.AtEnd()) return Refuse(message, false, fits, why);
  *request = std::move(out);
  return true;
}

}  // namespace qm
