#include "engine/protocol/FrameChannel.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <utility>
#include <vector>

namespace qm {

namespace {

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

bool FrameChannel::Write(const WireMessage& message) {
  const auto& body = message.Bytes();
  // The reader would take it for garbage: refused here, where it is known.
  if (body.size() > kMaxFrameBytes) {
    lastError_ = EMSGSIZE;
    return false;
  }
  std::vector<std::uint8_t> frame(4 + body.size());
  const auto size = static_cast<std::uint32_t>(body.size());
  for (int i = 0; i < 4; ++i) frame[i] = static_cast<std::uint8_t>(size >> (8 * i));
  std::copy(body.begin(), body.end(), frame.begin() + 4);
  return WriteAll(frame.data(), frame.size());
}

bool FrameChannel::WriteAll(const std::uint8_t* data, std::size_t size) {
  bool useSend = true;
  while (size > 0) {
    ssize_t written =
        useSend ? ::send(writeFd_, data, size, MSG_NOSIGNAL) : ::write(writeFd_, data, size);
    if (written < 0 && useSend && errno == ENOTSOCK) {
      // A plain pipe: the caller is responsible for SIGPIPE there.
      useSend = false;
      continue;
    }
    if (written < 0) {
      if (errno == EINTR) continue;
      lastError_ = errno;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

FrameChannel::ReadStatus FrameChannel::ReadExactly(std::uint8_t* data, std::size_t size,
                                                   std::int64_t deadlineMs,
                                                   const std::function<void()>& eachSlice) {
  while (size > 0) {
    int wait = -1;
    if (deadlineMs >= 0) {
      const std::int64_t left = deadlineMs - NowMs();
      if (left <= 0) return ReadStatus::kTimeout;
      wait = static_cast<int>(left);
    }
    const bool sliced = eachSlice && (wait < 0 || wait > kSliceMs);
    if (sliced) wait = kSliceMs;
    pollfd pfd{readFd_, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, wait);
    if (ready < 0) {
      if (errno == EINTR) continue;
      lastError_ = errno;
      return ReadStatus::kError;
    }
    if (ready == 0) {
      if (eachSlice) eachSlice();
      if (sliced) continue;  // the deadline, if any, is checked above
      return ReadStatus::kTimeout;
    }
    const ssize_t got = ::read(readFd_, data, size);
    if (got < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      if (errno == ECONNRESET) return ReadStatus::kEof;
      lastError_ = errno;
      return ReadStatus::kError;
    }
    if (got == 0) return ReadStatus::kEof;
    data += got;
    size -= static_cast<std::size_t>(got);
  }
  return ReadStatus::kOk;
}

FrameChannel::ReadStatus FrameChannel::Read(int timeoutMs, WireMessage* message) {
  return Read(timeoutMs, message, {});
}

FrameChannel::ReadStatus FrameChannel::Read(int timeoutMs, WireMessage* message,
                                            const std::function<void()>& eachSlice) {
  const std::int64_t deadline = timeoutMs < 0 ? -1 : NowMs() + timeoutMs;
  std::uint8_t prefix[4];
  ReadStatus status = ReadExactly(prefix, sizeof prefix, deadline, eachSlice);
  if (status != ReadStatus::kOk) return status;
  std::uint32_t size = 0;
  for (int i = 0; i < 4; ++i) size |= static_cast<std::uint32_t>(prefix[i]) << (8 * i);
  if (size == 0 || size > kMaxFrameBytes) return ReadStatus::kGarbage;
  std::vector<std::uint8_t> body(size);
  status = ReadExactly(body.data(), body.size(), deadline, eachSlice);
  if (status != ReadStatus::kOk) return status;
  WireMessage::FromBytes(std::move(body), message);
  return ReadStatus::kOk;
}

}  // namespace qm
