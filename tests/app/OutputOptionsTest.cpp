// The output options' reactions (every change stored at once, the folder
// controls following the options, the folder browser), the pointer rules,
// and the Image Option dialog.

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/Form1.h"
#include "app/SettingsStore.h"
#include "app/WindowLook.h"
#include "tests/app/ModalAnswerer.h"
#include "tests/app/StoreFolder.h"
#include "tests/support/FakeApplicationFactory.h"

using qm::SettingsStore;
using qm::test::ModalAnswerer;

namespace {

std::string Stored(const char* key) { return SettingsStore::GetSetting(key, "<missing>"); }

struct ShownWindow {
  qm::test::FakeApplicationFactory factory;
  ModalAnswerer answerer;
  qm::Form1 window{factory, "/nonexistent/quillmere-job", 1};

  ShownWindow() {
    window.Load();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) qFatal("window not shown");
  }
  template <class T>
  T* Find(const char* name) {
    T* found = window.findChild<T*>(name);
    if (found == nullptr) qFatal("no control %s", name);
    return found;
  }
};

}  // namespace

class OutputOptionsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { qm::test::ClearStore(); }

  void everyFolderEditIsStoredAsTyped() {
    ShownWindow w;
    auto* text3 = w.Find<QLineEdit>("Text3");
    text3->clear();
    QCOMPARE(Stored("Folder"), std::string());  // emptied: stored empty
    QTest::keyClicks(text3, "/a/b ");
    QCOMPARE(Stored("Folder"), std::string("/a/b "));
    QTest::keyClick(text3, Qt::Key_Backspace);
    QCOMPARE(Stored("Folder"), std::string("/a/b"));
  }

  void comboChangeIsStoredAsItsIndex() {
    ShownWindow w;
    w.Find<QComboBox>("Combo1")->setCurrentIndex(4);
    QCOMPARE(Stored("Combo"), std::string("4"));
    w.Find<QComboBox>("Combo1")->setCurrentIndex(1);
    QCOMPARE(Stored("Combo"), std::string("1"));
  }

  void optionClickStoresBothStatesAndSwitchesTheFolderControls() {
    ShownWindow w;
    auto* option1 = w.Find<QRadioButton>("Option1");
    auto* option2 = w.Find<QRadioButton>("Option2");
    w.Find<QLineEdit>("Text3")->setText("/earlier/");
    QTest::mouseClick(option2, Qt::LeftButton);
    QCOMPARE(Stored("Option1"), std::string("False"));
    QCOMPARE(Stored("Option2"), std::string("True"));
    QVERIFY(!w.Find<QLineEdit>("Text3")->isEnabled());
    QVERIFY(!w.Find<QPushButton>("PushButton4")->isEnabled());
    QTest::mouseClick(option1, Qt::LeftButton);
    QCOMPARE(Stored("Option1"), std::string("True"));
    QCOMPARE(Stored("Option2"), std::string("False"));
    QVERIFY(w.Find<QGroupBox>("Frame4")->isEnabled());
    QCOMPARE(w.Find<QLineEdit>("Text3")->text(), QString("/earlier/"));
    // The selected one again: both stored again, nothing else changes.
    qm::test::ClearStore();
    QTest::mouseClick(option1, Qt::LeftButton);
    QVERIFY(option1->isChecked());
    QCOMPARE(Stored("Option1"), std::string("True"));
    QCOMPARE(Stored("Option2"), std::string("False"));
    QVERIFY(w.Find<QGroupBox>("Frame4")->isEnabled());
  }

  void cancelledBrowseChangesNothing() {
    SettingsStore::SaveSetting("Folder", "/before/");
    ShownWindow w;
    QTest::mouseClick(w.Find<QPushButton>("PushButton4"), Qt::LeftButton);
    QCOMPARE(w.answerer.Shown().size(), size_t{1});
    QCOMPARE(w.answerer.Shown()[0].kind, QString("BrowseForFolder"));
    QCOMPARE(w.answerer.Shown()[0].title, QString("Select Folder"));
    QCOMPARE(w.Find<QLineEdit>("Text3")->text(), QString("/before/"));
    QCOMPARE(Stored("Folder"), std::string("/before/"));
  }

  // Outside a dialog Qt's buttons take Space only; a person presses Enter.
  void enterPressesTheFocusedButton() {
    ShownWindow w;
    auto* browse = w.Find<QPushButton>("PushButton4");
    browse->setFocus();
    // Let go over it after it went down in a box (closing it) presses nothing.
    QTest::keyRelease(browse, Qt::Key_Return);
    QVERIFY(w.answerer.Shown().empty());
    QTest::keyClick(browse, Qt::Key_Return);
    QCOMPARE(w.answerer.Shown().size(), size_t{1});
    QCOMPARE(w.answerer.Shown()[0].kind, QString("BrowseForFolder"));
  }

  void chosenFolderGetsExactlyOneTrailingSeparator() {
    QTemporaryDir chosen;
    ShownWindow w;
    w.answerer.browseTo = chosen.path();
    QTest::mouseClick(w.Find<QPushButton>("PushButton4"), Qt::LeftButton);
    QCOMPARE(w.Find<QLineEdit>("Text3")->text(), chosen.path() + "/");
    QCOMPARE(Stored("Folder"), (chosen.path() + "/").toStdString());
  }

  void hoverGivesHandOverButtonsButNeverReplacesBusy() {
    ShownWindow w;
    auto* button = w.Find<QPushButton>("PushButton2");
    auto* frame = w.Find<QGroupBox>("Frame3");
    QTest::mouseMove(button);
    QCOMPARE(w.window.CurrentPointer(), qm::Pointer::Custom);
    QTest::mouseMove(frame, QPoint(4, frame->height() - 6));  // its own background
    QCOMPARE(w.window.CurrentPointer(), qm::Pointer::Default);
    w.window.SetPointer(qm::Pointer::Busy);
    QTest::mouseMove(button);
    QCOMPARE(w.window.CurrentPointer(), qm::Pointer::Busy);
    QTest::mouseMove(frame, QPoint(4, frame->height() - 6));  // its own background
    QCOMPARE(w.window.CurrentPointer(), qm::Pointer::Busy);
    QCOMPARE(w.window.cursor().shape(), Qt::WaitCursor);
  }

  void handPointerFileIsReadWithItsHotSpot() {
    const auto hand = qm::LoadCursorFile(QM_BIN "/HAND-M.CUR");
    QVERIFY(hand.has_value());
    QCOMPARE(hand->hotSpot(), QPoint(5, 0));
    QCOMPARE(hand->pixmap().size(), QSize(32, 32));
    QVERIFY(!qm::LoadCursorFile(QM_BIN "/quillmere.png").has_value());
  }

  void imageOptionOkUntouchedGivesTopToBottom() {
    ShownWindow w;
    QCOMPARE(w.window.ChooseStitchDirection(), short{1});
    QCOMPARE(w.answerer.Shown().back().kind, QString("Form2"));
    QCOMPARE(w.answerer.Shown().back().title, QString("Image Option"));
  }

  void imageOptionLeftToRightGivesTwoAndOpensFreshNextTime() {
    ShownWindow w;
    w.answerer.leftToRight = true;
    QCOMPARE(w.window.ChooseStitchDirection(), short{2});
    w.answerer.leftToRight = false;
    QCOMPARE(w.window.ChooseStitchDirection(), short{1});
  }

  void imageOptionCloseBoxGivesTopToBottom() {
    ShownWindow w;
    w.answerer.leftToRight = true;
    w.answerer.closeImageOption = true;
    QCOMPARE(w.window.ChooseStitchDirection(), short{1});
  }
};

QTEST_MAIN(OutputOptionsTest)
#include "OutputOptionsTest.moc"
