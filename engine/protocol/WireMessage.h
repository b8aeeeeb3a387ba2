#pragma once
// One message of the render worker protocol: a type byte followed by fields.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/protocol/RenderMessageType.h"

namespace qm {

/// Builds or reads one message. Fields are little-endian 32-bit unsigned
/// numbers, 64-bit signed numbers and strings (32-bit length + bytes), read
/// back in the order they were put.
///
/// Reading is forgiving in form and strict in result: a Get past the end or a
/// string longer than what is left yields 0 / "" and clears Ok() for good, so
/// a reader takes all its fields and then checks Ok() && AtEnd() once.
class WireMessage {
 public:
  /// An empty message of `type`, ready for Put calls.
  explicit WireMessage(RenderMessageType type = RenderMessageType::kBye);
  /// An empty message of a type of another protocol spoken in frames (the
  /// batch jobs'), ready for Put calls.
  explicit WireMessage(std::uint8_t type) : bytes_{type} {}

  /// A message read from `bytes` (type byte + fields). Returns false (and
  /// leaves `*message` unchanged) when `bytes` is empty.
  static bool FromBytes(std::vector<std::uint8_t> bytes, WireMessage* message);

  RenderMessageType Type() const { return static_cast<RenderMessageType>(bytes_[0]); }
  /// The type byte, for protocols other than the render worker's.
  std::uint8_t TypeByte() const { return bytes_[0]; }

  void PutU32(std::uint32_t value);
  void PutI64(std::int64_t value);
  void PutString(std::string_view value);

  std::uint32_t GetU32();
  std::int64_t GetI64();
  std::string GetString();
  /// A 32-bit field that stands for a count, position or size: false when it
  /// is missing or does not fit a non-negative int (`*value` then unchanged).
  bool GetNonNegative(int* value);

  /// False once a Get ran past the end of the message.
  bool Ok() const { return ok_; }
  /// True when every field has been read.
  bool AtEnd() const { return read_ == bytes_.size(); }
  /// Bytes not read yet: what a count read from the message is checked
  /// against before it sizes anything.
  std::size_t Remaining() const { return bytes_.size() - read_; }

  /// Type byte + fields, as sent inside a frame.
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  bool Take(std::size_t count);

  std::vector<std::uint8_t> bytes_;
  std::size_t read_ = 1;
  bool ok_ = true;
};

}  // namespace qm
