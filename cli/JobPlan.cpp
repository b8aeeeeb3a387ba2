#include "cli/JobPlan.h"

#include <stdlib.h>

#include <algorithm>
#include <climits>
#include <map>

#include "base/Paths.h"

namespace qm {

namespace {

/// The name an output of `file` starts with, folder included when it matters.
std::string OutputKey(const std::string& file, bool beside) {
  std::string key = OutputBaseName(file);
  if (beside) {
    std::string folder = FolderPart(file);
    if (folder.empty()) folder = ".";
    char resolved[PATH_MAX];
    if (::realpath(folder.c_str(), resolved)) folder = resolved;
    key = folder + "/" + key;
  }
  return key;
}

}  // namespace

std::vector<std::vector<std::string>> PlanJobs(const std::vector<std::string>& files, int jobs,
                                               bool beside) {
  // Groups of list positions that share an output name, in order of first appearance.
  std::vector<std::vector<std::size_t>> groups;
  std::map<std::string, std::size_t> groupOfKey;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const auto [it, added] = groupOfKey.emplace(OutputKey(files[i], beside), groups.size());
    if (added) groups.emplace_back();
    groups[it->second].push_back(i);
  }

  const std::size_t shareCount = std::min<std::size_t>(std::max(jobs, 1), groups.size());
  std::vector<std::vector<std::size_t>> positions(shareCount);
  for (const auto& group : groups) {
    auto& lightest = *std::min_element(positions.begin(), positions.end(),
                                       [](const auto& a, const auto& b) { return a.size() < b.size(); });
    lightest.insert(lightest.end(), group.begin(), group.end());
  }

  std::vector<std::vector<std::string>> shares;
  for (auto& share : positions) {
    std::sort(share.begin(), share.end());
    shares.emplace_back();
    for (std::size_t i : share) shares.back().push_back(files[i]);
  }
  return shares;
}

}  // namespace qm
