#include "app/FileListView.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QUrl>

#include "app/Twips.h"
#include "filelist/FileList.h"

namespace qm {

namespace {

/// True when `data` offers a list of files: at least one URL, and every one
/// of them names a local file or folder. Text, links to the web and rows
/// dragged out of other lists are not file lists.
bool OffersFileList(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return false;
  const QList<QUrl> urls = data->urls();
  if (urls.isEmpty()) return false;
  for (const QUrl& url : urls)
    if (!url.isLocalFile() || url.toLocalFile().isEmpty()) return false;
  return true;
}

}  // namespace

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
  // Files are dropped on the list; the list never drags its own rows out.
  setAcceptDrops(true);
  setDragEnabled(false);
  setDropIndicatorShown(false);
  connect(this, &QTreeWidget::itemSelectionChanged, this,
          [this] { emit SelectionChanged(SelectedPosition()); });
  // The scroll bars keep the desktop's face colour: on the window's white
  // face the handle would be white on a grey groove, and read the wrong way.
  for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()}) {
    QPalette palette = bar->palette();
    for (const QPalette::ColorRole role : {QPalette::Button, QPalette::Window})
      palette.setColor(role, QApplication::palette().color(role));
    bar->setPalette(palette);
  }
}

void FileListView::InitColumn() {
  setColumnCount(1);
  setHeaderLabels({QString::fromUtf8(FileList::kColumnHeader)});
  setColumnWidth(0, Px(FileList::kColumnWidthTwips));
  // Many files of one folder share their start: a long path keeps its file
  // name and loses its middle, and the whole of it is the row's tooltip.
  setTextElideMode(Qt::ElideMiddle);
}

namespace {

/// A row showing `path`, with the whole path as its tooltip.
QTreeWidgetItem* RowOf(const QString& path) {
  auto* item = new QTreeWidgetItem(QStringList{path});
  item->setToolTip(0, path);
  return item;
}

}  // namespace

void FileListView::ShowRows(const FileList& list) {
  const QSignalBlocker quiet(this);
  clear();
  QList<QTreeWidgetItem*> items;
  for (int i = 1; i <= list.FileCount(); ++i)
    items.append(RowOf(QString::fromStdString(list.FileAt(i))));
  addTopLevelItems(items);
  if (const auto selected = list.Selected()) setCurrentItem(topLevelItem(*selected - 1));
}

void FileListView::ShowTradedRows(const FileList& list, int first, int second) {
  const QSignalBlocker quiet(this);
  for (const int position : {first, second})
    if (QTreeWidgetItem* item = topLevelItem(position - 1)) {
      item->setText(0, QString::fromStdString(list.FileAt(position)));
      item->setToolTip(0, item->text(0));
    }
  const auto selected = list.Selected();
  setCurrentItem(selected ? topLevelItem(*selected - 1) : nullptr);
}

void FileListView::ScrollRowIntoView(int position) {
  if (position < 1 || position > topLevelItemCount()) return;
  scrollToItem(topLevelItem(position - 1), QAbstractItemView::EnsureVisible);
}

std::optional<int> FileListView::SelectedPosition() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  if (selected.isEmpty()) return std::nullopt;
  return indexOfTopLevelItem(selected.constFirst()) + 1;
}

std::optional<int> FileListView::RowAt(const QPoint& point) const {
  QTreeWidgetItem* item = itemAt(point);
  if (item == nullptr) return std::nullopt;
  return indexOfTopLevelItem(item) + 1;
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
  const std::optional<int> hit = RowAt(event->position().toPoint());
  // A press on the empty area keeps the selected row: a double-click there
  // removes the row the person last picked.
  if (!hit) {
    setFocus(Qt::MouseFocusReason);
    event->accept();
    emit Pressed(std::nullopt);
    return;
  }
  QTreeWidget::mousePressEvent(event);
  // A Ctrl-press on the selected row clears the selection: nothing to drag.
  emit Pressed(SelectedPosition() == hit ? hit : std::nullopt);
}

void FileListView::mouseMoveEvent(QMouseEvent* event) {
  const bool buttonHeld = event->buttons() != Qt::NoButton;
  emit MouseMoved(RowAt(event->position().toPoint()), buttonHeld);
  if (buttonHeld) {
    event->accept();
    return;
  }
  QTreeWidget::mouseMoveEvent(event);
}

void FileListView::mouseReleaseEvent(QMouseEvent* event) {
  QTreeWidget::mouseReleaseEvent(event);
  emit Released();
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  if (item == nullptr)
    emit DoubleClicked(std::nullopt);
  else
    emit DoubleClicked(indexOfTopLevelItem(item) + 1);
}

void FileListView::dragEnterEvent(QDragEnterEvent* event) {
  if (OffersFileList(event->mimeData()))
    event->acceptProposedAction();
  else
    event->ignore();
}

void FileListView::dragMoveEvent(QDragMoveEvent* event) {
  // The whole list is one drop target: rows are not drop places of their own.
  if (OffersFileList(event->mimeData()))
    event->acceptProposedAction();
  else
    event->ignore();
}

void FileListView::dropEvent(QDropEvent* event) {
  if (!OffersFileList(event->mimeData())) {
    event->ignore();
    return;
  }
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) paths.push_back(url.toLocalFile().toStdString());
  event->acceptProposedAction();
  emit FilesDropped(paths);
}

}  // namespace qm
