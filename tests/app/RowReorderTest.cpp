// Reordering the list by dragging a row, through the mouse events the list
// receives: the order the model takes (the run's order), drags that must move
// nothing, equal paths, scrolling along, and the pointer the list shows.

#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>

#include "app/FileListView.h"
#include "app/Form1.h"
#include "app/WindowLook.h"
#include "base/ProgramFolder.h"
#include "tests/app/ListWindow.h"
#include "tests/app/StoreFolder.h"

namespace {

struct DragWindow : qm::test::ListWindow {
  /// Rows "/d/1.pptx" to "/d/<count>.pptx".
  void AddNumbered(int count) {
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) paths.push_back("/d/" + std::to_string(i) + ".pptx");
    window.AddDroppedFiles(paths);
  }

  QPoint RowCenter(int position) const {
    return list->visualItemRect(list->topLevelItem(position - 1)).center();
  }
  QPoint BelowTheRows() const { return QPoint(20, list->viewport()->height() - 5); }

  /// The 1-based rows wholly inside the list's visible area.
  std::pair<int, int> VisibleRows() const {
    int first = 0, last = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      if (!list->viewport()->rect().contains(list->visualItemRect(list->topLevelItem(i)))) continue;
      if (first == 0) first = i + 1;
      last = i + 1;
    }
    return {first, last};
  }

  void Send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QWidget* viewport = list->viewport();
    QMouseEvent event(type, QPointF(at), QPointF(viewport->mapToGlobal(at)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &event);
  }
  void Press(QPoint at) { Send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
  void DragTo(QPoint at) { Send(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
  void HoverTo(QPoint at) { Send(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }
  void Release(QPoint at) { Send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }

  QStringList Numbers() const {
    QStringList numbers;
    for (const QString& row : Rows()) numbers << row.mid(3).chopped(5);
    return numbers;
  }
  int Selected() const { return window.Files().Selected().value_or(0); }
  Qt::CursorShape ListPointer() const { return list->viewport()->cursor().shape(); }
};

/// drag.ico copied beside the test program for the life of this object, as
/// the build puts it beside quillmere.
struct DragIconBesideProgram {
  const QString path = QString::fromStdString(qm::ProgramFolder() + "drag.ico");
  DragIconBesideProgram() {
    QFile::remove(path);
    if (!QFile::copy(QM_BIN "/drag.ico", path)) qFatal("cannot copy drag.ico");
  }
  ~DragIconBesideProgram() { QFile::remove(path); }
};

}  // namespace

class RowReorderTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { qm::test::ClearStore(); }

  void oneJumpTradesWithTheRowUnderThePointerInTheModel() {
    DragWindow w;
    w.AddNumbered(5);
    w.Press(w.RowCenter(3));
    w.DragTo(w.RowCenter(5));
    w.Release(w.RowCenter(5));
    QCOMPARE(w.Numbers(), (QStringList{"1", "2", "5", "4", "3"}));
    QCOMPARE(w.Selected(), 5);
    QCOMPARE(w.list->selectedItems(), QList<QTreeWidgetItem*>{w.list->topLevelItem(4)});
    QCOMPARE(w.window.FileAt(5), std::string("/d/3.pptx"));  // the run's order
  }

  void passingARowSlowlyCarriesTheDraggedPathAlong() {
    DragWindow w;
    w.AddNumbered(5);
    w.Press(w.RowCenter(3));
    w.DragTo(w.RowCenter(4));
    w.DragTo(w.RowCenter(5));
    w.DragTo(w.RowCenter(5) + QPoint(0, 2));  // over the dragged row itself
    QCOMPARE(w.Numbers(), (QStringList{"1", "2", "4", "5", "3"}));
    w.DragTo(w.RowCenter(1));  // and all the way back up in one jump
    w.Release(w.RowCenter(1));
    QCOMPARE(w.Numbers(), (QStringList{"3", "2", "4", "5", "1"}));
    QCOMPARE(w.Selected(), 1);
  }

  void dragsThatEndedOrHoldNoRowMoveNothing() {
    DragWindow w;
    w.AddNumbered(5);
    w.Press(w.RowCenter(1));
    w.DragTo(w.RowCenter(2));
    w.Release(w.RowCenter(2));
    const QStringList afterDrag{"2", "1", "3", "4", "5"};
    QCOMPARE(w.Numbers(), afterDrag);

    w.HoverTo(w.RowCenter(4));  // after the release
    QCOMPARE(w.Numbers(), afterDrag);

    w.Press(w.BelowTheRows());  // the earlier dragged row is not picked up again
    w.DragTo(w.RowCenter(5));
    w.DragTo(w.RowCenter(3));
    w.Release(w.RowCenter(3));
    QCOMPARE(w.Numbers(), afterDrag);

    w.Press(w.RowCenter(3));  // a release that never reached the list
    w.HoverTo(w.RowCenter(4));
    w.DragTo(w.RowCenter(5));
    QCOMPARE(w.Numbers(), afterDrag);

    w.Press(w.RowCenter(3));  // the dragged row deleted while the button is down
    QTest::keyClick(w.list, Qt::Key_Delete);
    w.DragTo(w.RowCenter(1));
    w.Release(w.RowCenter(1));
    QCOMPARE(w.Numbers(), (QStringList{"2", "1", "4", "5"}));
  }

  void equalPathsNeverTrade() {
    DragWindow w;
    w.window.AddDroppedFiles({"/d/a.pptx", "/d/b.pptx", "/d/a.pptx", "/d/c.pptx"});
    w.Press(w.RowCenter(1));
    w.DragTo(w.RowCenter(3));  // the same path: the dragged row stays row 1
    QCOMPARE(w.Selected(), 1);
    w.DragTo(w.RowCenter(4));
    w.Release(w.RowCenter(4));
    QCOMPARE(w.Rows(), (QStringList{"/d/c.pptx", "/d/b.pptx", "/d/a.pptx", "/d/a.pptx"}));
  }

  void listScrollsAlongBothWaysWhereverTheWindowSits() {
    DragWindow w;
    w.window.move(0, 0);  // the list's rows lie high on the screen
    w.AddNumbered(30);
    QVERIFY(w.VisibleRows().second < 20);
    w.Press(w.RowCenter(1));
    // Step by step down and back up: the next row to pass is always in view,
    // and the list moves at most one row per step, never jumping away.
    const auto step = [&w](int next) {
      const int firstBefore = w.VisibleRows().first;
      const bool inView = next >= firstBefore && next <= w.VisibleRows().second;
      w.DragTo(w.RowCenter(next));
      return inView && std::abs(w.VisibleRows().first - firstBefore) <= 1;
    };
    for (int next = 2; next <= 21; ++next) QVERIFY2(step(next), qPrintable(QString::number(next)));
    QCOMPARE(w.window.Files().FileAt(21), std::string("/d/1.pptx"));
    for (int next = 20; next >= 1; --next) QVERIFY2(step(next), qPrintable(QString::number(next)));
    w.Release(w.RowCenter(1));
    QCOMPARE(w.list->verticalScrollBar()->value(), 0);
    QStringList inOrder;
    for (int i = 1; i <= 30; ++i) inOrder << QString::number(i);
    QCOMPARE(w.Numbers(), inOrder);
  }

  void dragPointerFromDragIcoThenTheWindowsPointerEvenWhileBusy() {
    const auto drawn = qm::LoadIconPointer(QM_BIN "/drag.ico");
    QVERIFY(drawn.has_value());
    QCOMPARE(drawn->pixmap().size(), QSize(32, 32));
    QCOMPARE(drawn->hotSpot(), QPoint(0, 0));
    QVERIFY(!qm::LoadIconPointer(QM_BIN "/HAND-M.CUR").has_value());  // a cursor, not an icon
    {
      const DragIconBesideProgram icon;
      DragWindow w;
      w.AddNumbered(3);
      w.Press(w.RowCenter(1));
      QCOMPARE(w.ListPointer(), Qt::BitmapCursor);
      QCOMPARE(w.list->viewport()->cursor().pixmap().size(), QSize(32, 32));
      w.Release(w.RowCenter(1));
      QCOMPARE(w.ListPointer(), Qt::ArrowCursor);
    }
    DragWindow w;  // no drag.ico: a drag still shows
    w.AddNumbered(3);
    // A run or a folder import leaves the list free to reorder; after the
    // drag the list shows the window's hourglass again.
    w.window.SetPointer(qm::Pointer::Busy);
    w.Press(w.RowCenter(1));
    QCOMPARE(w.ListPointer(), Qt::ClosedHandCursor);
    w.DragTo(w.RowCenter(3));
    w.Release(w.RowCenter(3));
    QCOMPARE(w.Numbers(), (QStringList{"3", "2", "1"}));
    QCOMPARE(w.ListPointer(), Qt::WaitCursor);
  }
};

QTEST_MAIN(RowReorderTest)
#include "RowReorderTest.moc"
