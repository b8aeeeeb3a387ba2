// Folder and file names as the scan meets them: any bytes at all.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "filelist/NameSafety.h"
#include "filelist/SkippedPath.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  // A name the scan refuses always has a reason to give.
  if (qm::HasUnsafeNameChars(name) && qm::UnsafeNameReason(name).empty()) __builtin_trap();
  return 0;
}
