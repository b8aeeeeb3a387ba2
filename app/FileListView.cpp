#include "app/FileListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>

#include "app/Twips.h"
#include "filelist/FileList.h"

namespace qm {

FileListView::FileListView(QWidget* parent) : QTreeWidget(parent) {
  setObjectName("ListView1");
  setToolTip(kToolTip);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setColumnCount(0);
  setHeaderHidden(false);
  // Long paths run past the column's right edge until its divider is dragged.
  header()->setStretchLastSection(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  connect(this, &QTreeWidget::itemSelectionChanged, this,
          [this] { emit SelectionChanged(SelectedPosition()); });
}

void FileListView::InitColumn() {
  setColumnCount(1);
  setHeaderLabels({QString::fromUtf8(FileList::kColumnHeader)});
  setColumnWidth(0, Px(FileList::kColumnWidthTwips));
}

void FileListView::ShowRows(const FileList& list) {
  const QSignalBlocker quiet(this);
  clear();
  QList<QTreeWidgetItem*> items;
  for (int i = 1; i <= list.FileCount(); ++i)
    items.append(new QTreeWidgetItem(QStringList{QString::fromStdString(list.FileAt(i))}));
  addTopLevelItems(items);
  if (const auto selected = list.Selected()) setCurrentItem(topLevelItem(*selected - 1));
}

std::optional<int> FileListView::SelectedPosition() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  if (selected.isEmpty()) return std::nullopt;
  return indexOfTopLevelItem(selected.constFirst()) + 1;
}

void FileListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete) {
    event->accept();
    emit DeletePressed();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void FileListView::mousePressEvent(QMouseEvent* event) {
  // A press on the empty area keeps the selected row: a double-click there
  // removes the row the person last picked.
  if (itemAt(event->position().toPoint()) == nullptr) {
    setFocus(Qt::MouseFocusReason);
    event->accept();
    return;
  }
  QTreeWidget::mousePressEvent(event);
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  if (item == nullptr)
    emit DoubleClicked(std::nullopt);
  else
    emit DoubleClicked(indexOfTopLevelItem(item) + 1);
}

}  // namespace qm
