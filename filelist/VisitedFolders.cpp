#include "filelist/VisitedFolders.h"

#include <stdlib.h>

#include <memory>

namespace qm {

namespace {

// The canonical path of `path` (links resolved, no "." or ".."), or "" when
// it cannot be resolved.
std::string RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&::free)> resolved(::realpath(path.c_str(), nullptr), &::free);
  return resolved ? std::string(resolved.get()) : std::string();
}

// True when canonical `inner` is `outer` or lies below it.
bool IsWithin(const std::string& inner, const std::string& outer) {
  if (outer == "/") return true;
  return inner.size() >= outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
         (inner.size() == outer.size() || inner[outer.size()] == '/');
}

}  // namespace

void VisitedFolders::AddSeed(const std::string& folder) {
  struct stat status{};
  if (folder.empty() || ::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return;
  Claim(status);
  std::string real = RealPath(folder);
  if (!real.empty()) seedRealPaths_.push_back(std::move(real));
}

bool VisitedFolders::Claim(const struct stat& status) {
  return claimed_.insert({status.st_dev, status.st_ino}).second;
}

bool VisitedFolders::MayFollowLink(const std::string& linkPath) const {
  const std::string target = RealPath(linkPath);
  if (target.empty()) return false;
  for (const std::string& seed : seedRealPaths_)
    if (IsWithin(target, seed) || IsWithin(seed, target)) return false;
  return true;
}

}  // namespace qm
