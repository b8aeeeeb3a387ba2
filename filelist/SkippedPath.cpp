#include "filelist/SkippedPath.h"

#include <climits>

#include "base/Utf8.h"

namespace qm {

std::string UnsafeNameReason(const std::string& name) {
  if (!IsValidUtf8(name)) return "its name is not valid UTF-8";
  if (name.find('?') != std::string::npos) return "its name holds \"?\"";
  return "its name holds a control character (such as a tab or a line break)";
}

std::string OverlongPathReason(std::size_t bytes) {
  return "its path has " + std::to_string(bytes) + " bytes, more than the " +
         std::to_string(PATH_MAX - 1) + " any path this system opens may have";
}

}  // namespace qm
