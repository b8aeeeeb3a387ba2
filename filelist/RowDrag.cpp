#include "filelist/RowDrag.h"

#include <string>

#include "filelist/FileList.h"

namespace qm {

void RowDrag::Press(std::optional<int> selectedRow) {
  dragging_ = true;
  dragged_ = selectedRow;
}

bool RowDrag::MoveOver(FileList& files, std::optional<int> target) {
  if (!dragging_ || !dragged_ || !target) return false;
  const int count = files.FileCount();
  if (*dragged_ > count || *target < 1 || *target > count) return false;
  // Equal texts never trade: the dragged row itself, or a duplicate path.
  if (files.FileAt(*dragged_) == files.FileAt(*target)) return false;
  const std::string kept = files.FileAt(*dragged_);
  files.SetFileAt(*dragged_, files.FileAt(*target));
  files.SetFileAt(*target, kept);
  files.Select(target);
  dragged_ = target;
  return true;
}

}  // namespace qm
