#include "filelist/RepeatedFiles.h"

#include <climits>
#include <filesystem>
#include <map>
#include <utility>

namespace qm {

void DropRepeatedFiles(std::vector<std::string>& files, SkippedPaths* skipped) {
  std::map<std::string, std::size_t> positionOf;  // normal form to its 1-based place in `kept`
  std::vector<std::string> kept;
  for (std::string& path : files) {
    if (path.size() >= PATH_MAX) {
      skipped->push_back({path.substr(0, 120) + "...",
                          OverlongPathReason(path.size())});
      continue;
    }
    const std::size_t position = kept.size() + 1;
    const std::size_t earlier =
        positionOf.emplace(std::filesystem::path(path).lexically_normal().string(), position).first->second;
    if (earlier != position) {
      skipped->push_back({path, "named twice in this run (first as " + kept[earlier - 1] +
                                    "): converted once"});
      continue;
    }
    kept.push_back(std::move(path));
  }
  files = std::move(kept);
}

}  // namespace qm
