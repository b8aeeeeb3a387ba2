#include "engine/worker/RenderServer.h"

#include <cstdint>
#include <string>

#include "engine/protocol/RenderMessages.h"

namespace qm {

bool RenderServer::Fail(RenderFailure failure, const std::string& detail) {
  WireMessage reply(RenderMessageType::kFailed);
  reply.PutU32(static_cast<std::uint32_t>(failure));
  reply.PutString(detail);
  return Reply(reply);
}

bool RenderServer::HandleOpen(const RenderRequest& request) {
  if (request.path.empty() || request.path[0] != '/') {
    return Fail(RenderFailure::kBadRequest, "open needs one absolute path");
  }
  int slides = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::string detail;
  const RenderFailure failure = renderer_.Open(request.path, &slides, &width, &height, &detail);
  if (failure != RenderFailure::kNone) return Fail(failure, detail);
  WireMessage reply(RenderMessageType::kOpened);
  reply.PutU32(static_cast<std::uint32_t>(slides));
  reply.PutI64(width);
  reply.PutI64(height);
  // The facts take what the frame has left beyond the fields before them.
  renderer_.Facts().PutTo(reply, kMaxFrameBytes - 4096);
  return Reply(reply);
}

bool RenderServer::HandleExport(const RenderRequest& request) {
  if (request.path.empty()) {
    return Fail(RenderFailure::kBadRequest, "export needs a slide, a path and a size");
  }
  int width = 0;
  int height = 0;
  std::string detail;
  const RenderFailure failure =
      renderer_.Export(request.index, request.path, request.drawing, &width, &height, &detail);
  if (failure != RenderFailure::kNone) return Fail(failure, detail);
  WireMessage reply(RenderMessageType::kExported);
  reply.PutU32(static_cast<std::uint32_t>(width));
  reply.PutU32(static_cast<std::uint32_t>(height));
  return Reply(reply);
}

bool RenderServer::Serve() {
  for (;;) {
    WireMessage request;
    if (channel_.Read(-1, &request) != FrameChannel::ReadStatus::kOk) return false;
    bool sent = false;
    RenderRequest decoded;
    std::string why;
    if (!DecodeRenderRequest(request, &decoded, &why)) {
      sent = Fail(RenderFailure::kBadRequest, why);
    } else {
      switch (decoded.type) {
        case RenderMessageType::kOpen:
          sent = HandleOpen(decoded);
          break;
        case RenderMessageType::kExport:
          sent = HandleExport(decoded);
          break;
        case RenderMessageType::kHidden: {
          std::vector<int> hidden;
          const RenderFailure failure = renderer_.HiddenSlides(&hidden);
          if (failure != RenderFailure::kNone) {
            sent = Fail(failure, "");
            break;
          }
          WireMessage reply(RenderMessageType::kHiddenSlides);
          reply.PutU32(static_cast<std::uint32_t>(hidden.size()));
          for (const int index : hidden) reply.PutU32(static_cast<std::uint32_t>(index));
          sent = Reply(reply);
          break;
        }
        case RenderMessageType::kSteps: {
          std::string reason;
          const bool drawable = renderer_.PrepareSteps(decoded.index, decoded.drawing, &reason);
          WireMessage reply(RenderMessageType::kStepsReady);
          reply.PutU32(drawable ? 1u : 0u);
          reply.PutString(reason);
          sent = Reply(reply);
          break;
        }
        case RenderMessageType::kClose:
          renderer_.Close();
          sent = Reply(WireMessage(RenderMessageType::kClosed));
          break;
        default:  // kQuit
          // The process ends with _exit right after; closing the document
          // first would only cost time.
          Reply(WireMessage(RenderMessageType::kBye));
          return true;
      }
    }
    if (!sent) return false;
  }
}

}  // namespace qm
