#pragma once
// The batch's input: the ordered list of source paths, with at most one
// selected row. Rows are addressed from 1. No Qt here; the window shows it.

#include <optional>
#include <string>
#include <vector>

namespace qm {

class Ui;

class FileList {
 public:
  /// Header text and width (twips) of the list's single column.
  static constexpr const char* kColumnHeader = "PowerPoint File(s)";
  static constexpr int kColumnWidthTwips = 6500;

  /// Appends one row with exactly `path`; no check of any kind.
  void AddFileToList(const std::string& path) { rows_.push_back(path); }

  /// True when some row's text equals `text` exactly (case-sensitive).
  bool ListContains(const std::string& text) const;

  /// Number of rows.
  int FileCount() const { return static_cast<int>(rows_.size()); }

  /// Text of the row at 1-based `position`. Throws qm::Error outside 1..FileCount().
  const std::string& FileAt(int position) const;

  /// Removes the selected row, if any; the rows after it move up and no row
  /// is selected afterwards.
  void RemoveSelectedFile();

  /// Removes all rows (and the selection).
  void ClearFileList();

  /// The selected row's 1-based position, if one is selected.
  std::optional<int> Selected() const { return selected_; }
  /// Selects the row at `position`; a position outside the list clears the selection.
  void Select(std::optional<int> position);

  /// Replaces the text of the row at `position` (row reordering). Throws outside the list.
  void SetFileAt(int position, const std::string& text);

  // The person's commands on the list. Each does nothing while `ui`'s pointer
  // shows the window busy.

  /// The Delete key: removes the selected row when the list has rows.
  void OnDeleteKey(const Ui& ui);
  /// A double-click on row `position`, or on empty space (nullopt): that row
  /// becomes selected first, then the selected row is removed.
  void OnDoubleClick(const Ui& ui, std::optional<int> position);
  /// The "Clear List" button; an unexpected failure is reported.
  void OnClearList(Ui& ui);

 private:
  std::vector<std::string> rows_;
  std::optional<int> selected_;
};

}  // namespace qm
