#pragma once
// ListView1: the report-view list that shows the file list, one row per
// path, under its single column. It shows the model; it changes nothing.

#include <QTreeWidget>

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

  /// InitFileList: the single column, with `list`'s header and width.
  void InitColumn();

  /// Shows `list`'s rows and selection anew.
  void ShowRows(const FileList& list);
};

}  // namespace qm
