#include "app/FileListView.h"

#include <QHeaderView>

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
}

void FileListView::InitColumn() {
  setColumnCount(1);
  setHeaderLabels({QString::fromUtf8(FileList::kColumnHeader)});
  setColumnWidth(0, Px(FileList::kColumnWidthTwips));
}

void FileListView::ShowRows(const FileList& list) {
  clear();
  QList<QTreeWidgetItem*> items;
  for (int i = 1; i <= list.FileCount(); ++i)
    items.append(new QTreeWidgetItem(QStringList{QString::fromStdString(list.FileAt(i))}));
  addTopLevelItems(items);
  if (const auto selected = list.Selected()) setCurrentItem(topLevelItem(*selected - 1));
}

}  // namespace qm
