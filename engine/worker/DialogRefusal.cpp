#include "engine/worker/DialogRefusal.h"

#include <cctype>

namespace qm {

namespace {

/// Position just after `key` and the colon and blanks that follow it, for
/// each occurrence from `from`; npos when there is none.
std::size_t ValueAfter(const std::string& text, const std::string& key, std::size_t from) {
  const std::size_t at = text.find(key, from);
  if (at == std::string::npos) return at;
  std::size_t i = at + key.size();
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
  if (i >= text.size() || text[i] != ':') return ValueAfter(text, key, at + key.size());
  ++i;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
  return i;
}

bool HasStringValue(const std::string& text, const std::string& key, const std::string& value) {
  const std::string quoted = "\"" + value + "\"";
  for (std::size_t i = ValueAfter(text, key, 0); i != std::string::npos;
       i = ValueAfter(text, key, i)) {
    if (text.compare(i, quoted.size(), quoted) == 0) return true;
  }
  return false;
}

}  // namespace

bool ReadDialogRefusal(const std::string& payload, DialogRefusal* refusal) {
  if (!HasStringValue(payload, "\"jsontype\"", "dialog")) return false;
  if (ValueAfter(payload, "\"action\"", 0) != std::string::npos) return false;

  bool found = false;
  unsigned long long windowId = 0;
  for (std::size_t i = ValueAfter(payload, "\"id\"", 0); i != std::string::npos;
       i = ValueAfter(payload, "\"id\"", i)) {
    if (i >= payload.size() || !std::isdigit(static_cast<unsigned char>(payload[i]))) continue;
    unsigned long long value = 0;
    bool overflow = false;
    for (; i < payload.size() && std::isdigit(static_cast<unsigned char>(payload[i])); ++i) {
      const unsigned digit = static_cast<unsigned>(payload[i] - '0');
      if (value > (~0ULL - digit) / 10) overflow = true;
      value = value * 10 + digit;
    }
    if (overflow) return false;
    windowId = value;
    found = true;
  }
  if (!found) return false;

  for (const char* button : {"no", "cancel", "close", "ok"}) {
    if (HasStringValue(payload, "\"id\"", button)) {
      refusal->windowId = windowId;
      refusal->button = button;
      return true;
    }
  }
  return false;
}

}  // namespace qm
