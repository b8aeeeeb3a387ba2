// The file list's commands through the real widgets: the Delete key,
// double-clicks, "Clear List" and the busy rule, the file dialog, the folder
// import with its stored extension and folder, and the sample files.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "app/FileListView.h"
#include "app/Form1.h"
#include "app/SettingsStore.h"
#include "tests/app/ListWindow.h"
#include "tests/app/ModalAnswerer.h"
#include "tests/app/StoreFolder.h"
#include "tests/support/FakeApplicationFactory.h"

using qm::SettingsStore;
using qm::test::ModalAnswerer;

namespace {

std::string Stored(const char* key) { return SettingsStore::GetSetting(key, "<missing>"); }

struct ShownWindow : qm::test::ListWindow {
  void Add(std::initializer_list<const char*> paths) {
    // Paths that do not exist are added as given, as a drop adds them.
    window.AddDroppedFiles(std::vector<std::string>(paths.begin(), paths.end()));
  }
  void Press(const char* button) {
    QTest::mouseClick(window.findChild<QPushButton*>(button), Qt::LeftButton);
  }
  QPoint RowCenter(int position) const {
    return list->visualItemRect(list->topLevelItem(position - 1)).center();
  }
  QPoint BelowTheRows() const {
    return QPoint(20, list->viewport()->height() - 5);
  }
};

using qm::test::MakeFile;

}  // namespace

class FileListCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { qm::test::ClearStore(); }

  void deleteKeyWithShiftRemovesOnlyTheSelectedRow() {
    ShownWindow w;
    w.Add({"/d/a.pptx", "/d/b.pptx", "/d/c.pptx"});
    w.list->setFocus();
    QTest::keyClick(w.list, Qt::Key_Delete);  // nothing selected: nothing goes
    QCOMPARE(w.Rows(), (QStringList{"/d/a.pptx", "/d/b.pptx", "/d/c.pptx"}));
    QTest::mouseClick(w.list->viewport(), Qt::LeftButton, {}, w.RowCenter(2));
    QTest::keyClick(w.list, Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
    QCOMPARE(w.Rows(), (QStringList{"/d/a.pptx", "/d/c.pptx"}));
    QTest::keyClick(w.list, Qt::Key_Delete);  // the selection went with its row
    QCOMPARE(w.Rows(), (QStringList{"/d/a.pptx", "/d/c.pptx"}));
  }

  void doubleClickBelowTheRowsRemovesTheRowStillSelected() {
    ShownWindow w;
    w.Add({"/d/a.pptx", "/d/b.pptx", "/d/c.pptx"});
    QTest::mouseClick(w.list->viewport(), Qt::LeftButton, {}, w.RowCenter(3));
    QTest::mouseClick(w.list->viewport(), Qt::LeftButton, {}, w.BelowTheRows());
    QTest::mouseDClick(w.list->viewport(), Qt::LeftButton, {}, w.BelowTheRows());
    QCOMPARE(w.Rows(), (QStringList{"/d/a.pptx", "/d/b.pptx"}));
    QTest::mouseDClick(w.list->viewport(), Qt::LeftButton, {}, w.BelowTheRows());
    QCOMPARE(w.Rows(), (QStringList{"/d/a.pptx", "/d/b.pptx"}));  // none selected now
    QTest::mouseDClick(w.list->viewport(), Qt::LeftButton, {}, w.RowCenter(1));
    QCOMPARE(w.Rows(), QStringList{"/d/b.pptx"});
  }

  void listCommandsDoNothingWhileTheWindowIsBusy() {
    ShownWindow w;
    w.Add({"/d/a.pptx", "/d/b.pptx"});
    QTest::mouseClick(w.list->viewport(), Qt::LeftButton, {}, w.RowCenter(1));
    w.window.SetPointer(qm::Pointer::Busy);
    w.Press("PushButton7");
    QTest::keyClick(w.list, Qt::Key_Delete);
    QTest::mouseDClick(w.list->viewport(), Qt::LeftButton, {}, w.RowCenter(2));
    QCOMPARE(w.Rows(), (QStringList{"/d/a.pptx", "/d/b.pptx"}));
    w.window.SetPointer(qm::Pointer::Default);
    w.Press("PushButton7");
    QCOMPARE(w.Rows(), QStringList{});
    w.Press("PushButton7");  // an empty list: nothing to report
    QVERIFY(w.answerer.Shown().empty());
  }

  void fileDialogAddsInTheDialogsOrderAndTwiceGivesTwoRows() {
    QTemporaryDir folder;
    MakeFile(folder.filePath("b.pptx"));
    MakeFile(folder.filePath("a.ppt"));
    ShownWindow w;
    w.answerer.pickFolder = folder.path();
    w.answerer.pickFiles = {"b.pptx", "a.ppt"};
    w.Press("PushButton1");
    QCOMPARE(w.answerer.Shown().size(), size_t{1});
    const qm::test::ShownBox& dialog = w.answerer.Shown()[0];
    QCOMPARE(dialog.kind, QString("AddFiles"));
    QCOMPARE(dialog.title, QString("Add File(s) - Hold Ctrl to select multiple files"));
    QCOMPARE(dialog.filters, QStringList{"PowerPoint Files (*.ppt*)"});
    QVERIFY(dialog.multiSelect);
    QCOMPARE(w.Rows(), (QStringList{folder.filePath("b.pptx"), folder.filePath("a.ppt")}));
    w.answerer.pickFiles = {"a.ppt"};
    w.Press("PushButton1");
    w.answerer.pickFiles.clear();  // cancel: nothing more
    w.Press("PushButton1");
    QCOMPARE(w.Rows(), (QStringList{folder.filePath("b.pptx"), folder.filePath("a.ppt"),
                                    folder.filePath("a.ppt")}));
  }

  void tooLongASelectionAddsNothingAndSaysSo() {
    QTemporaryDir folder;
    // Names of 200 characters, the folder counted once: 160 of them (over
    // 32,000 characters) are past the limit, 100 within it.
    QStringList names;
    for (int i = 0; i < 160; ++i) {
      names << QString("%1").arg(i, 3, 10, QChar('0')) + QString(193, 'n') + ".ppt";
      MakeFile(folder.filePath(names.back()));
    }
    ShownWindow w;
    w.answerer.pickFolder = folder.path();
    w.answerer.pickFiles = names;
    w.Press("PushButton1");
    QCOMPARE(w.Rows(), QStringList{});
    QCOMPARE(w.answerer.Texts("MessageBox"),
             QStringList{"You've selected too many files to add.\r\rPlease try adding via the "
                         "\"Add All\" button."});
    QVERIFY(!w.answerer.Shown().back().warningIcon);
    w.answerer.pickFiles = names.mid(0, 100);
    w.Press("PushButton1");
    QCOMPARE(w.Rows().size(), 100);
  }

  void addAllUsesTheTypedExtensionAndStoresItAndTheFolder() {
    QTemporaryDir tree;
    MakeFile(tree.filePath("a.pptx"));
    MakeFile(tree.filePath("~a.pptx"));
    MakeFile(tree.filePath(".hidden.pptx"));
    MakeFile(tree.filePath("sub/b.txt"));
    ShownWindow w;
    w.answerer.slideAnswer = "*";
    w.answerer.browseTo = tree.path();
    w.Press("PushButton5");
    QCOMPARE(w.Rows(), (QStringList{tree.filePath("a.pptx"), tree.filePath("sub/b.txt")}));
    QCOMPARE(w.answerer.Texts("InputBox"),
             QStringList{"Enter file extension to load:\r\r(* for all files, txt for all txt "
                         "files, doc for all doc files, etc.)"});
    QCOMPARE(w.answerer.Shown()[1].kind, QString("BrowseForFolder"));
    QCOMPARE(w.answerer.Shown()[1].title, QString("Please select folder:"));
    QCOMPARE(Stored("Extension"), std::string("*"));
    QCOMPARE(Stored("LastFolder"), tree.path().toStdString());
    QCOMPARE(w.window.CurrentPointer(), qm::Pointer::Default);

    w.answerer.slideAnswer = ".pptx";  // "*..pptx" finds nothing
    w.Press("PushButton5");
    QCOMPARE(w.Rows().size(), 2);
    QCOMPARE(w.answerer.Shown()[3].preselected, tree.path());  // the last folder preselected
  }

  void clearListDuringTheFolderScanIsIgnored() {
    QTemporaryDir tree;
    // Enough folders that the scan yields for a while: Qt 6.8 runs a timer
    // only once it is due, where 6.4 ran a zero timer at every yield.
    constexpr int kFolders = 2000;
    for (int i = 0; i < kFolders; ++i) MakeFile(tree.filePath(QString("sub%1/deck.pptx").arg(i)));
    ShownWindow w;
    w.Add({"/earlier/a.pptx"});
    w.answerer.slideAnswer = "pptx";
    w.answerer.browseTo = tree.path();
    // The folder is stored just before the scan; from then on the scan's
    // yields run this timer, which presses "Clear List" each time.
    int pressesDuringScan = 0;
    bool notBusy = false;
    QTimer presser;
    presser.setInterval(1);
    QObject::connect(&presser, &QTimer::timeout, [&] {
      if (Stored("LastFolder") != tree.path().toStdString()) return;
      ++pressesDuringScan;
      notBusy = notBusy || w.window.CurrentPointer() != qm::Pointer::Busy;
      w.Press("PushButton7");
    });
    presser.start();
    w.Press("PushButton5");
    presser.stop();
    QVERIFY(pressesDuringScan > 0);
    QVERIFY(!notBusy);
    QCOMPARE(w.Rows().size(), kFolders + 1);
    QCOMPARE(w.Rows().constFirst(), QString("/earlier/a.pptx"));
    QCOMPARE(w.window.CurrentPointer(), qm::Pointer::Default);
  }

  void addAllCancelledInTheBrowserStillStoresTheNewExtension() {
    SettingsStore::SaveSetting(SettingsStore::kLastFolder, "/nonexistent/folder");
    ShownWindow w;
    w.answerer.slideAnswer = "doc";
    w.Press("PushButton5");
    QCOMPARE(Stored("Extension"), std::string("doc"));
    QCOMPARE(Stored("LastFolder"), std::string("/nonexistent/folder"));
    QCOMPARE(w.answerer.Shown().size(), size_t{2});
    QVERIFY(!w.answerer.Shown()[1].preselected.startsWith("/nonexistent"));
    QVERIFY(!w.answerer.Shown()[1].folder.startsWith("/nonexistent"));
    QCOMPARE(w.Rows(), QStringList{});
  }

  void samplesAskEvenWithoutTheirFolderAndLoadOnlyOnce() {
    QDir samples(QCoreApplication::applicationDirPath() + "/Samples");
    QVERIFY2(!samples.exists(), "a Samples folder beside the test program is in the way");
    ShownWindow w;
    w.answerer.answerNo = true;
    w.Press("PushButton8");
    QCOMPARE(w.Rows(), QStringList{});
    const QString question =
        "Would you like this software to open the folder where these sample files are stored "
        "(so that you can view them before working with them)?";
    QCOMPARE(w.answerer.Texts("MessageBox"), QStringList{question});

    MakeFile(samples.filePath("one.pptx"));
    w.Press("PushButton8");
    w.Press("PushButton8");
    samples.removeRecursively();
    QCOMPARE(w.Rows(), QStringList{samples.filePath("one.pptx")});
    QCOMPARE(w.answerer.Texts("MessageBox").size(), 3);
  }

  // Yes with no file manager to start did nothing a person could see.
  void samplesFolderWithoutAFileManagerIsSaidSo() {
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    ShownWindow w;
    w.Press("PushButton8");
    QVERIFY(qm::test::WaitFor([&] { return w.answerer.Texts("MessageBox").size() == 2; }));
    qputenv("PATH", path);
    QVERIFY2(w.answerer.Texts("MessageBox")[1].startsWith("No file manager could be started to show "),
             qPrintable(w.answerer.Texts("MessageBox")[1]));
  }
};

QTEST_MAIN(FileListCommandsTest)
#include "FileListCommandsTest.moc"
