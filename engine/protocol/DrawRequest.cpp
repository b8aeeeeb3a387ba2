#include "engine/protocol/DrawRequest.h"

namespace qm {

namespace {

/// The flags word's bits; any other bit set is a message of another build.
constexpr std::uint32_t kTransparent = 1u;
constexpr std::uint32_t kKnownFlags = kTransparent;

}  // namespace

void DrawRequest::PutTo(WireMessage& message) const {
  message.PutU32(static_cast<std::uint32_t>(width));
  message.PutU32(static_cast<std::uint32_t>(height));
  message.PutU32(transparent ? kTransparent : 0u);
  message.PutU32(static_cast<std::uint32_t>(step + 1));
}

bool DrawRequest::GetFrom(WireMessage& message, DrawRequest* request) {
  DrawRequest read;
  read.width = static_cast<std::int32_t>(message.GetU32());
  read.height = static_cast<std::int32_t>(message.GetU32());
  const std::uint32_t flags = message.GetU32();
  const std::uint32_t stepPlusOne = message.GetU32();
  if (!message.Ok() || (flags & ~kKnownFlags) != 0 || stepPlusOne > 0x7FFFFFFFu) return false;
  read.transparent = (flags & kTransparent) != 0;
  read.step = static_cast<int>(stepPlusOne) - 1;
  *request = read;
  return true;
}

}  // namespace qm
