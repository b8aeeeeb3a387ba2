// Bytes from a peer, read as frames and decoded every way our processes
// decode them: the frame reader; job messages and the tasks a job is given;
// the render worker's replies and the program's requests to it.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/batch/FileTask.h"
#include "engine/batch/JobMessage.h"
#include "engine/batch/JobMessageType.h"
#include "engine/protocol/FrameChannel.h"
#include "engine/protocol/RenderMessages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A pipe holds 64 KiB; longer inputs are cut there (the fuzzer's -max_len).
  if (size > 65536) size = 65536;
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return 0;
  ::fcntl(pipeFds[1], F_SETPIPE_SZ, 65536);
  const ssize_t written = ::write(pipeFds[1], data, size);
  ::close(pipeFds[1]);
  if (written == static_cast<ssize_t>(size)) {
    qm::FrameChannel channel(pipeFds[0], -1);
    qm::WireMessage message;
    // Everything is in the pipe already, so no read ever waits.
    while (channel.Read(1000, &message) == qm::FrameChannel::ReadStatus::kOk) {
      qm::WireMessage asReply = message;
      qm::RenderReply reply;
      qm::DecodeRenderReply(asReply, &reply);
      qm::WireMessage asRequest = message;
      qm::RenderRequest request;
      qm::DecodeRenderRequest(asRequest, &request);
      if (message.TypeByte() == static_cast<std::uint8_t>(qm::JobMessageType::kTasks)) {
        const std::uint32_t count = message.GetU32();
        qm::FileTask task;
        for (std::uint32_t i = 0; i < count && qm::FileTask::GetFrom(message, &task); ++i) {
        }
      } else {
        qm::JobMessage decoded;
        std::string why;
        qm::DecodeJobMessage(message, &decoded, &why);
      }
    }
  }
  ::close(pipeFds[0]);
  return 0;
}
