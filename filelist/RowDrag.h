#pragma once
// The dragging of one row up and down the file list with the mouse: the state
// the window keeps from a press on the list to its release, and the trade of
// paths that each mouse move makes. No Qt here; the window feeds it the rows
// under the pointer.

#include <optional>

namespace qm {

class FileList;

class RowDrag {
 public:
  /// A mouse button went down on the list (any button, any modifier).
  /// `selectedRow` is the 1-based row the press selected, or nullopt when it
  /// selected none (a press below the rows): then no row is dragged, so a
  /// press on empty space never drags the path of an earlier drag.
  void Press(std::optional<int> selectedRow);

  /// One mouse move over `files` with `target` under the pointer (nullopt:
  /// no row there). While dragging, when a row is dragged and its text
  /// differs from the target's, the two rows trade texts (the rows between
  /// them keep their places), the target becomes the selected row and the
  /// dragged row. Returns true when rows traded; false changes nothing.
  bool MoveOver(FileList& files, std::optional<int> target);

  /// The mouse button went up: dragging ends; the dragged row is kept but
  /// does nothing until the next press.
  void Release() { dragging_ = false; }

  /// Rows were removed from the list: the dragged row is forgotten, since its
  /// position may now hold another path (or none).
  void Forget() { dragged_.reset(); }

  /// True from a press on the list until its release.
  bool Dragging() const { return dragging_; }
  /// The 1-based row that holds the dragged path, if any.
  std::optional<int> DraggedRow() const { return dragged_; }

 private:
  bool dragging_ = false;
  std::optional<int> dragged_;
};

}  // namespace qm
