#pragma once
// The files of a run, waiting to be handed to jobs.

#include <cstddef>
#include <deque>
#include <vector>

#include "engine/batch/FileTask.h"

namespace qm {

/// Hands out the run's tasks one group at a time, in list order. A group is
/// one file, or all files that write the same output names (deck.ppt and
/// deck.pptx into one folder): those go to one job together, in list order,
/// so the later file still writes last. A group is due at the position of its
/// first file.
class WorkQueue {
 public:
  explicit WorkQueue(const std::vector<FileTask>& tasks);

  /// The next group; empty when the queue is empty.
  std::vector<FileTask> Next();

  bool Empty() const { return groups_.empty(); }
  /// Groups not yet handed out.
  std::size_t GroupsLeft() const { return groups_.size(); }

  /// Gives up every group not yet handed out and returns their tasks.
  std::vector<FileTask> Drain();

 private:
  std::deque<std::vector<FileTask>> groups_;
};

}  // namespace qm
