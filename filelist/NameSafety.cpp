#include "filelist/NameSafety.h"

#include "base/Utf8.h"

namespace qm {

bool HasUnsafeNameChars(std::string_view name) {
  std::size_t pos = 0;
  while (pos < name.size()) {
    char32_t c = 0;
    if (!DecodeUtf8(name, pos, c)) return true;
    if (c < 32 || (c >= 127 && c <= 159) || c == U'?') return true;
  }
  return false;
}

}  // namespace qm
