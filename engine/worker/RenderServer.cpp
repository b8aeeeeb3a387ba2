#include "engine/worker/RenderServer.h"

#include <cstdint>
#include <string>

namespace qm {

bool RenderServer::Fail(RenderFailure failure, const std::string& detail) {
  WireMessage reply(RenderMessageType::kFailed);
  reply.PutU32(static_cast<std::uint32_t>(failure));
  reply.PutString(detail);
  return Reply(reply);
}

bool RenderServer::HandleOpen(WireMessage& request) {
  const std::string path = request.GetString();
  if (!request.Ok() || !request.AtEnd() || path.empty() || path[0] != '/') {
    return Fail(RenderFailure::kBadRequest, "open needs one absolute path");
  }
  int slides = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::string detail;
  const RenderFailure failure = renderer_.Open(path, &slides, &width, &height, &detail);
  if (failure != RenderFailure::kNone) return Fail(failure, detail);
  WireMessage reply(RenderMessageType::kOpened);
  reply.PutU32(static_cast<std::uint32_t>(slides));
  reply.PutI64(width);
  reply.PutI64(height);
  return Reply(reply);
}

bool RenderServer::HandleExport(WireMessage& request) {
  const auto index = static_cast<std::int32_t>(request.GetU32());
  const std::string path = request.GetString();
  auto width = static_cast<std::int32_t>(request.GetU32());
  auto height = static_cast<std::int32_t>(request.GetU32());
  if (!request.Ok() || !request.AtEnd() || path.empty()) {
    return Fail(RenderFailure::kBadRequest, "export needs a slide, a path and a size");
  }
  std::string detail;
  const RenderFailure failure = renderer_.Export(index, path, &width, &height, &detail);
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
    switch (request.Type()) {
      case RenderMessageType::kOpen:
        sent = HandleOpen(request);
        break;
      case RenderMessageType::kExport:
        sent = HandleExport(request);
        break;
      case RenderMessageType::kClose:
        renderer_.Close();
        sent = Reply(WireMessage(RenderMessageType::kClosed));
        break;
      case RenderMessageType::kQuit:
        // The process ends with _exit right after; closing the document first
        // would only cost time.
        Reply(WireMessage(RenderMessageType::kBye));
        return true;
      default:
        sent = Fail(RenderFailure::kBadRequest, "unknown request");
        break;
    }
    if (!sent) return false;
  }
}

}  // namespace qm
