#pragma once
// A path a gathering left out, and why.

#include <cstddef>
#include <string>
#include <vector>

namespace qm {

/// One file or folder a folder import left out on purpose, with the reason
/// in words ("its name is not valid UTF-8").
struct SkippedPath {
  std::string path;
  std::string reason;
};

/// Where a gathering notes what it leaves out; null when nobody asks.
using SkippedPaths = std::vector<SkippedPath>;

/// Why a name with unsafe characters (HasUnsafeNameChars) is left out.
std::string UnsafeNameReason(const std::string& name);

/// Why a path of `bytes` bytes, too long for any call to take (PATH_MAX
/// with its terminating NUL), is left out.
std::string OverlongPathReason(std::size_t bytes);

}  // namespace qm
