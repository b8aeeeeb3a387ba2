// Reordering the file list by dragging a row up or down with the mouse: the
// dragged path trades places with the row under the pointer, step by step,
// and the list scrolls along. The rows change in the model, so the run takes
// the new order; nothing leaves the list (the list never drags its rows out).
// Reordering does not wait for a run or a folder import to end: only the
// window pointer's reset respects the busy state.

#include "app/FileListView.h"
#include "app/Form1.h"

namespace qm {

void Form1::ConnectRowDrag() {
  connect(listView1_, &FileListView::Pressed, this, &Form1::ListView1MouseDown);
  connect(listView1_, &FileListView::MouseMoved, this, &Form1::ListView1MouseMove);
  connect(listView1_, &FileListView::Released, this, &Form1::ListView1MouseUp);
}

void Form1::ListView1MouseDown(std::optional<int> selectedRow) {
  rowDrag_.Press(selectedRow);
  if (selectedRow) listView1_->setCursor(dragPointer_);
}

void Form1::ListView1MouseMove(std::optional<int> row, bool buttonHeld) {
  // The window pointer's reset for this move has already run: the window
  // watches the list's moves before the list handles them.
  if (!rowDrag_.Dragging()) return;
  if (!buttonHeld) {
    // The release went elsewhere (a message box took it, say): a move with
    // no button down drags nothing.
    ListView1MouseUp();
    return;
  }
  const std::optional<int> from = rowDrag_.DraggedRow();
  if (!rowDrag_.MoveOver(files_, row)) return;
  const int to = *rowDrag_.DraggedRow();
  listView1_->ShowTradedRows(files_, *from, to);
  // The list scrolls along in the direction the path travelled, so the row
  // it would trade with next comes into view. This follows the list itself,
  // not where the window happens to sit on the screen.
  if (to > *from && to < files_.FileCount())
    listView1_->ScrollRowIntoView(to + 1);
  else if (to < *from && to > 1)
    listView1_->ScrollRowIntoView(to - 1);
}

void Form1::ListView1MouseUp() {
  rowDrag_.Release();
  // The list shows the window's pointer again: the arrow, or the hourglass
  // while the window is busy.
  listView1_->unsetCursor();
}

}  // namespace qm
