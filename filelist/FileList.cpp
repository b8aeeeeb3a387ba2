#include "filelist/FileList.h"

#include <algorithm>

#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "base/Ui.h"

namespace qm {

namespace {
bool Busy(const Ui& ui) { return ui.CurrentPointer() == Pointer::Busy; }
}  // namespace

bool FileList::ListContains(const std::string& text) const {
  return std::find(rows_.begin(), rows_.end(), text) != rows_.end();
}

const std::string& FileList::FileAt(int position) const {
  if (position < 1 || position > FileCount())
    throw Error("The file list has no row " + std::to_string(position));
  return rows_[position - 1];
}

void FileList::SetFileAt(int position, const std::string& text) {
  if (position < 1 || position > FileCount())
    throw Error("The file list has no row " + std::to_string(position));
  rows_[position - 1] = text;
}

void FileList::RemoveSelectedFile() {
  if (rows_.empty() || !selected_) return;
  rows_.erase(rows_.begin() + (*selected_ - 1));
  // Nothing stays selected, so a second Delete never takes a row the person did not pick.
  selected_.reset();
}

void FileList::ClearFileList() {
  rows_.clear();
  selected_.reset();
}

void FileList::Select(std::optional<int> position) {
  if (position && (*position < 1 || *position > FileCount())) position.reset();
  selected_ = position;
}

void FileList::OnDeleteKey(const Ui& ui) {
  if (!Busy(ui) && FileCount() > 0) RemoveSelectedFile();
}

void FileList::OnDoubleClick(const Ui& ui, std::optional<int> position) {
  if (Busy(ui) || FileCount() == 0) return;
  if (position) Select(position);
  RemoveSelectedFile();
}

void FileList::OnClearList(Ui& ui) {
  if (Busy(ui)) return;
  ErrorTrap trap(ui, "Form1", "PushButton7_Click");
  trap.Step(100, [&] { ClearFileList(); });
}

}  // namespace qm
