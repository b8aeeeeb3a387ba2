#pragma once
// The worker's side of the protocol: requests in, replies out.

#include "engine/protocol/FrameChannel.h"
#include "engine/protocol/RenderMessages.h"
#include "engine/worker/LokRenderer.h"

namespace qm {

/// Serves requests from the program, one at a time, until the program sends
/// kQuit or closes its end. Every request gets exactly one reply; a request
/// that cannot be parsed gets kFailed / kBadRequest and the worker goes on.
class RenderServer {
 public:
  /// `channel` and `renderer` are borrowed; `renderer` must be started.
  RenderServer(FrameChannel& channel, LokRenderer& renderer)
      : channel_(channel), renderer_(renderer) {}

  /// Runs until kQuit (returns true) or until the program is gone or the
  /// stream is unusable (returns false).
  bool Serve();

 private:
  bool Reply(const WireMessage& message) { return channel_.Write(message); }
  bool Fail(RenderFailure failure, const std::string& detail);
  bool HandleOpen(const RenderRequest& request);
  bool HandleExport(const RenderRequest& request);

  FrameChannel& channel_;
  LokRenderer& renderer_;
};

}  // namespace qm
