#include "engine/batch/WorkQueue.h"

#include <map>
#include <string>

namespace qm {

WorkQueue::WorkQueue(const std::vector<FileTask>& tasks) {
  std::map<std::string, std::size_t> groupOfKey;
  std::vector<std::vector<FileTask>> groups;
  for (const FileTask& task : tasks) {
    const auto [it, added] = groupOfKey.emplace(task.OutputKey(), groups.size());
    if (added) groups.emplace_back();
    groups[it->second].push_back(task);
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
