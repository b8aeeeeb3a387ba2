#pragma once
// ListView1: the report-view list that shows the file list, one row per
// path, under its single column. It shows the model and passes the person's
// commands on (the Delete key, double-clicks, the selected row, dropped
// files, the mouse that drags a row); it changes no row itself.

#include <QTreeWidget>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class FileList;

class FileListView : public QTreeWidget {
  Q_OBJECT

 public:
  /// The list's tooltip, as people read it.
  static constexpr const char* kToolTip =
      "Drag and drop files here. Double-click item to remove it. Move | line to right and out of "
      "window to reveal full names.";

  explicit FileListView(QWidget* parent);

  /// Makes the single column, with the file list's header and width.
  void InitColumn();

  /// Shows `list`'s rows and selection anew, without reporting them as a
  /// change of selection.
  void ShowRows(const FileList& list);

  /// Shows anew the texts of the 1-based rows `first` and `second`, which
  /// have just traded texts in `list`, and `list`'s selection; the other rows
  /// are left as they are, so a drag over a long list stays quick. A row the
  /// list does not show yet (rows still being added) is left alone.
  void ShowTradedRows(const FileList& list, int first, int second);

  /// Scrolls the list just enough to show the row at 1-based `position`
  /// whole; a position outside the list does nothing.
  void ScrollRowIntoView(int position);

 signals:
  /// The Delete key was pressed on the list, whatever modifier keys were down.
  void DeletePressed();
  /// A double-click on the row at 1-based `position`, or on the empty area
  /// (nullopt). The press before it has already selected a row it hit.
  void DoubleClicked(std::optional<int> position);
  /// The person selected the row at 1-based `position`, or none (nullopt).
  void SelectionChanged(std::optional<int> position);
  /// A file list was dropped on the list: its local paths, in the drop's
  /// order, exactly as the drag named them (folders not yet expanded).
  void FilesDropped(const std::vector<std::string>& paths);
  /// A mouse button went down on the list. `selectedRow` is the 1-based row
  /// the press selected, or nullopt when it selected none (a press below the
  /// rows, or one that cleared the selection).
  void Pressed(std::optional<int> selectedRow);
  /// The mouse moved over the list (or, while a button is held, anywhere the
  /// list follows it) with the 1-based row `row` under the pointer, or none;
  /// `buttonHeld` tells whether any mouse button is down.
  void MouseMoved(std::optional<int> row, bool buttonHeld);
  /// The mouse button went up after a press on the list.
  void Released();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  // A move with a button held drags a row (the window decides how), so the
  // list's own drag-selection and its timed scrolling stay out of it.
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // Only drags that carry a list of local files are taken; any other drag is
  // refused over the whole list, so the pointer shows that it cannot drop.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  std::optional<int> SelectedPosition() const;
  /// The 1-based row at `point` of the viewport, if any.
  std::optional<int> RowAt(const QPoint& point) const;
};

}  // namespace qm
