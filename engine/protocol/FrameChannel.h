#pragma once
// Length-prefixed frames over one connected socket (or pipe pair).

#include <cstdint>
#include <functional>

#include "engine/protocol/WireMessage.h"

namespace qm {

/// Sends and receives WireMessages as frames: a 4-byte little-endian length,
/// then that many bytes. The descriptors are borrowed, never closed here.
/// Writes never raise SIGPIPE: a vanished peer is an ordinary false result.
class FrameChannel {
 public:
  enum class ReadStatus {
    kOk,       ///< a whole frame was read
    kEof,      ///< the peer closed its end (also in the middle of a frame)
    kTimeout,  ///< no whole frame arrived in time
    kGarbage,  ///< a length of 0 or above kMaxFrameBytes
    kError,    ///< the read itself failed (errno kept in LastError())
  };

  /// Reads from `readFd` and writes to `writeFd`; for a socket pass it twice.
  FrameChannel(int readFd, int writeFd) : readFd_(readFd), writeFd_(writeFd) {}

  /// Writes one frame. False when the peer is gone or the write failed, and
  /// for a message bigger than kMaxFrameBytes, which is not sent.
  bool Write(const WireMessage& message);

  /// Waits at most `timeoutMs` milliseconds (negative = no limit) for one
  /// whole frame; the limit covers the entire frame, not each byte.
  ReadStatus Read(int timeoutMs, WireMessage* message);

  /// Longest wait between two calls of a slice function.
  static constexpr int kSliceMs = 50;

  /// Read(), waiting in slices of at most kSliceMs and calling `eachSlice`
  /// after every slice in which no whole frame arrived. `eachSlice` may
  /// throw to abandon the read; the exception passes through (the stream is
  /// then mid-frame and only fit to be closed).
  ReadStatus Read(int timeoutMs, WireMessage* message, const std::function<void()>& eachSlice);

  /// errno of the last failed read or write; 0 when none failed.
  int LastError() const { return lastError_; }

 private:
  bool WriteAll(const std::uint8_t* data, std::size_t size);
  ReadStatus ReadExactly(std::uint8_t* data, std::size_t size, std::int64_t deadlineMs,
                         const std::function<void()>& eachSlice);

  int readFd_;
  int writeFd_;
  int lastError_ = 0;
};

}  // namespace qm
