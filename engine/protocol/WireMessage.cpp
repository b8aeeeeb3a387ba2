#include "engine/protocol/WireMessage.h"

#include <limits>
#include <utility>

namespace qm {

WireMessage::WireMessage(RenderMessageType type) : bytes_{static_cast<std::uint8_t>(type)} {}

bool WireMessage::FromBytes(std::vector<std::uint8_t> bytes, WireMessage* message) {
  if (bytes.empty()) return false;
  message->bytes_ = std::move(bytes);
  message->read_ = 1;
  message->ok_ = true;
  return true;
}

void WireMessage::PutU32(std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void WireMessage::PutI64(std::int64_t value) {
  const auto bits = static_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) bytes_.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

void WireMessage::PutString(std::string_view value) {
  PutU32(static_cast<std::uint32_t>(value.size()));
  bytes_.insert(bytes_.end(), value.begin(), value.end());
}

bool WireMessage::Take(std::size_t count) {
  if (!ok_ || bytes_.size() - read_ < count) {
    ok_ = false;
    return false;
  }
  return true;
}

std::uint32_t WireMessage::GetU32() {
  if (!Take(4)) return 0;
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(bytes_[read_ + i]) << (8 * i);
  read_ += 4;
  return value;
}

std::int64_t WireMessage::GetI64() {
  if (!Take(8)) return 0;
  std::uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(bytes_[read_ + i]) << (8 * i);
  read_ += 8;
  return static_cast<std::int64_t>(bits);
}

bool WireMessage::GetNonNegative(int* value) {
  const std::uint32_t raw = GetU32();
  if (!ok_ || raw > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) return false;
  *value = static_cast<int>(raw);
  return true;
}

std::string WireMessage::GetString() {
  const std::uint32_t size = GetU32();
  if (!Take(size)) return {};
  std::string value(reinterpret_cast<const char*>(bytes_.data() + read_), size);
  read_ += size;
  return value;
}

}  // namespace qm
