#pragma once
// The files of a run, waiting to be handed to jobs.

#include <cstddef>
#include <deque>
#include <vector>

#include "engine/batch/FileTask.h"

namespace qm {

/// Hands out the run's tasks one group at a time. A group is one file, or all
/// files that write the same output names (deck.ppt and deck.pptx into one
/// folder): those go to one job together, in list order, so the later file
/// still writes last. A group is due at the position of its first file.
class WorkQueue {
 public:
  enum class Order {
    kList,
    /// The groups with the most slides first (list order among equals), so
    /// that when several jobs share the run none is left converting a big
    /// deck at the end while the others idle. Slides are counted from an
    /// Office Open XML deck's zip directory and reckoned from the size of
    /// any other file; a list of more than kMaxSortedGroups groups keeps
    /// its order, as reading that many directories would delay the start.
    kBiggestFirst,
  };
  static constexpr std::size_t kMaxSortedGroups = 2000;

  explicit WorkQueue(const std::vector<FileTask>& tasks, Order order = Order::kList);

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
