// Files and folders dropped on the list, through the drag events the list
// receives from a real drag: the drop's order, the folder search, drags that
// are not file lists, vanished paths, and the list's commands during a drop.

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/FileListView.h"
#include "app/Form1.h"
#include "tests/app/ListWindow.h"
#include "tests/app/ModalAnswerer.h"
#include "tests/app/StoreFolder.h"
#include "tests/support/FakeApplicationFactory.h"

namespace {

struct ShownWindow : qm::test::ListWindow {

  // A drag of `data` entering the list; true when the list takes it.
  bool Enter(const QMimeData& data) {
    const QPoint at = list->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &enter);
    if (!enter.isAccepted()) return false;
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &move);
    return move.isAccepted();
  }

  // The whole drag: enter, move and, when the list takes it, the drop.
  void Drop(const QMimeData& data) {
    if (!Enter(data)) return;
    QDropEvent drop(QPointF(list->viewport()->rect().center()), Qt::CopyAction, &data,
                    Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &drop);
  }

  // The gathering runs once the drop event has returned.
  void Settle() { QCoreApplication::processEvents(); }

};

using qm::test::MakeFile;

QMimeData* FileList(const QStringList& paths) {
  auto* data = new QMimeData;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  data->setUrls(urls);
  return data;
}

}  // namespace

class FileDropTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { qm::test::ClearStore(); }

  void dropOfFilesAndAFolderKeepsTheDropsOrderAndSearchesTheFolder() {
    QTemporaryDir root;
    const QString tree = root.filePath("tree");
    MakeFile(tree + "/one.pptx");
    MakeFile(tree + "/sub/two.txt");
    MakeFile(tree + "/~$one.pptx");  // a lock file: left out of a searched folder
    MakeFile(root.filePath("~first.txt"));  // a dropped file is taken as it is
    MakeFile(root.filePath("last.ppt"));
    ShownWindow w;
    const std::unique_ptr<QMimeData> data(
        FileList({root.filePath("~first.txt"), tree, root.filePath("last.ppt")}));
    w.Drop(*data);
    w.Settle();
    QCOMPARE(w.Rows(), (QStringList{root.filePath("~first.txt"), tree + "/one.pptx",
                                    tree + "/sub/two.txt", root.filePath("last.ppt")}));
    QVERIFY(w.answerer.Shown().empty());
  }

  void dragOfPlainTextOrAWebLinkIsRefused() {
    ShownWindow w;
    QMimeData text;
    text.setText("/tmp/looks-like-a-path.pptx");
    QVERIFY(!w.Enter(text));
    QMimeData link;
    link.setUrls({QUrl("https://example.com/deck.pptx")});
    QVERIFY(!w.Enter(link));
    // A drop the list refused to take adds nothing, even if it arrives.
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.list->viewport(), &drop);
    w.Settle();
    QCOMPARE(w.Rows(), QStringList{});
  }

  void vanishedPathIsAddedAsGiven() {
    QTemporaryDir root;
    const QString gone = root.filePath("gone.pptx");
    MakeFile(gone);
    ShownWindow w;
    const std::unique_ptr<QMimeData> data(FileList({gone}));
    QVERIFY(w.Enter(*data));
    QFile::remove(gone);  // removed while it was being dragged
    w.Drop(*data);
    w.Settle();
    QCOMPARE(w.Rows(), QStringList{gone});
    QVERIFY(w.answerer.Shown().empty());
  }

  void clearListDuringADroppedFoldersSearchIsNotIgnored() {
    QTemporaryDir root;
    const QString tree = root.filePath("tree");
    MakeFile(tree + "/sub/deep.pptx");
    ShownWindow w;
    w.window.AddDroppedFiles({"/d/before.pptx"});
    const std::unique_ptr<QMimeData> data(FileList({tree}));
    w.Drop(*data);
    // Runs inside the search's first yield: the drop leaves the window idle.
    QTimer::singleShot(0, &w.window, [&] {
      QCOMPARE(w.window.CurrentPointer(), qm::Pointer::Default);
      QTest::mouseClick(w.window.findChild<QPushButton*>("PushButton7"), Qt::LeftButton);
    });
    w.Settle();
    QCOMPARE(w.Rows(), QStringList{tree + "/sub/deep.pptx"});
  }
};

QTEST_MAIN(FileDropTest)
#include "FileDropTest.moc"
