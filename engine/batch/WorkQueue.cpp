#include "engine/batch/WorkQueue.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>

#include "engine/adapter/SlidePartsProbe.h"

namespace qm {

namespace {

/// About what a text slide of a binary deck takes (the benchmark decks' .ppt
/// copies: 28 KB a slide).
constexpr long long kBytesPerSlide = 28 * 1024;

/// The slides `path` holds, counted or reckoned; 0 when it cannot be read.
long long EstimatedSlides(const std::string& path) {
  if (const std::optional<int> parts = CountSlideParts(path)) return *parts;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
  return 1 + info.st_size / kBytesPerSlide;
}

}  // namespace

WorkQueue::WorkQueue(const std::vector<FileTask>& tasks, Order order) {
  std::map<std::string, std::size_t> groupOfKey;
  std::vector<std::vector<FileTask>> groups;
  for (const FileTask& task : tasks) {
    const auto [it, added] = groupOfKey.emplace(task.OutputKey(), groups.size());
    if (added) groups.emplace_back();
    groups[it->second].push_back(task);
  }
  if (order == Order::kBiggestFirst && groups.size() > 1 && groups.size() <= kMaxSortedGroups) {
    std::vector<std::pair<long long, std::size_t>> weights;
    for (std::size_t i = 0; i < groups.size(); ++i) {
      long long slides = 0;
      for (const FileTask& task : groups[i]) slides += EstimatedSlides(task.path);
      weights.emplace_back(slides, i);
    }
    std::stable_sort(weights.begin(), weights.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [slides, i] : weights) groups_.push_back(std::move(groups[i]));
    return;
  }
  for (auto& group : groups) groups_.push_back(std::move(group));
}

std::vector<FileTask> WorkQueue::Next() {
  if (groups_.empty()) return {};
  std::vector<FileTask> group = std::move(groups_.front());
  groups_.pop_front();
  return group;
}

std::vector<FileTask> WorkQueue::Drain() {
  std::vector<FileTask> left;
  for (auto& group : groups_)
    for (FileTask& task : group) left.push_back(std::move(task));
  groups_.clear();
  return left;
}

}  // namespace qm
