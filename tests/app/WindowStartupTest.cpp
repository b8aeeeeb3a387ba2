// Start-up of the main window against the settings store: empty, filled,
// damaged, unwritable, with bad values; and the window's composition.

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <QApplication>
#include <filesystem>
#include <fstream>

#include "app/Form1.h"
#include "app/SettingsStore.h"
#include "base/ProgramFolder.h"
#include "engine/adapter/PresentationChecks.h"
#include "tests/app/ModalAnswerer.h"
#include "tests/app/StoreFolder.h"
#include "tests/support/FakeApplicationFactory.h"

using qm::SettingsStore;
using qm::test::ModalAnswerer;

namespace {

/// A window started against whatever the store holds now.
struct StartedWindow {
  qm::test::FakeApplicationFactory factory;
  ModalAnswerer answerer;
  qm::Form1 window{factory, "/nonexistent/quillmere-job", 1};
  bool loaded = Start();

  bool Start() {
    const bool ok = window.Load();
    if (ok) window.show();
    return ok;
  }

  template <class T>
  T* Find(const char* name) {
    T* found = window.findChild<T*>(name);
    if (found == nullptr) qFatal("no control %s", name);
    return found;
  }
};

QString HomeFolder() { return QString::fromLocal8Bit(qgetenv("HOME")) + "/"; }
QString DesktopFolder() { return HomeFolder() + "Desktop/"; }

}  // namespace

class WindowStartupTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    qm::test::ClearStore();
    std::filesystem::create_directories(DesktopFolder().toStdString());
  }

  void emptyStoreStartsWithDefaults() {
    StartedWindow w;
    QVERIFY(w.loaded);
    QVERIFY(w.answerer.Shown().empty());
    QCOMPARE(w.Find<QComboBox>("Combo1")->currentIndex(), 0);
    QCOMPARE(w.Find<QComboBox>("Combo1")->currentText(),
             QString("Save each slide as separate image for all slides in file"));
    QCOMPARE(w.Find<QLineEdit>("Text3")->text(), DesktopFolder());
    QVERIFY(w.Find<QRadioButton>("Option1")->isChecked());
    QVERIFY(!w.Find<QRadioButton>("Option2")->isChecked());
    QVERIFY(w.Find<QGroupBox>("Frame4")->isEnabled());
    // Restoring is no edit: nothing was written.
    QVERIFY(!std::filesystem::exists(SettingsStore::FilePath()));
  }

  void windowHasEveryControlOfTheDesign() {
    StartedWindow w;
    QCOMPARE(w.window.windowTitle(), QString("Quillmere"));
    QCOMPARE(w.window.size(), QSize(536, 505));
    QCOMPARE(w.window.minimumSize(), w.window.maximumSize());
    QVERIFY(!(w.window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w.window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(w.window.palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(w.window.font().family(), QString("Liberation Sans"));
    QVERIFY(w.window.font().bold());
    auto* list = w.Find<QTreeWidget>("ListView1");
    QCOMPARE(list->geometry(), QRect(8, 8, 520, 169));
    QCOMPARE(list->headerItem()->text(0), QString("PowerPoint File(s)"));
    QCOMPARE(list->columnWidth(0), 433);
    QCOMPARE(list->toolTip(), QString("Drag and drop files here. Double-click item to remove it. "
                                      "Move | line to right and out of window to reveal full names."));
    const struct { const char* name; const char* caption; QRect where; } buttons[] = {
        {"PushButton1", "Add PowerPoint Files", QRect(8, 183, 256, 27)},
        {"PushButton5", "Add All PowerPoint Files In Folder", QRect(272, 183, 256, 27)},
        {"PushButton7", "Clear List", QRect(8, 217, 256, 27)},
        {"PushButton8", "Load Sample/Example Files", QRect(272, 217, 256, 27)},
        {"PushButton4", "...", QRect(400, 20, 40, 23)},
        {"PushButton2", "Start Saving As PNG", QRect(8, 434, 520, 27)},
    };
    for (const auto& b : buttons) {
      auto* button = w.Find<QPushButton>(b.name);
      QCOMPARE(button->text(), QString(b.caption));
      QCOMPARE(button->geometry(), b.where);
      QCOMPARE(button->font().pointSizeF(), 11.25);
    }
    QCOMPARE(w.Find<QGroupBox>("Frame2")->title(), QString("Save Options"));
    QCOMPARE(w.Find<QGroupBox>("Frame3")->title(), QString("Save Option"));
    QCOMPARE(w.Find<QGroupBox>("Frame4")->parentWidget()->objectName(), QString("Frame3"));
    QCOMPARE(w.Find<QLineEdit>("Text3")->parentWidget()->objectName(), QString("Frame4"));
    QCOMPARE(w.Find<QComboBox>("Combo1")->count(), 5);
    QCOMPARE(w.Find<QComboBox>("Combo1")->itemText(4), QString("Save x slide as one image"));
    QCOMPARE(w.Find<QRadioButton>("Option2")->geometry(), QRect(16, 94, 241, 17));
    auto* bar = w.Find<QProgressBar>("ProgressBar1");
    QCOMPARE(bar->geometry(), QRect(8, 469, 520, 27));
    QCOMPARE(bar->text(), QString("Progress Bar"));
    // Tab order of the design, from the list on.
    const QStringList expected = {"ListView1", "PushButton1", "PushButton5", "PushButton7",
                                  "PushButton2", "Combo1",      "PushButton8", "Option2",
                                  "Option1",   "Text3",       "PushButton4"};
    QStringList order;
    QWidget* at = list;
    for (int guard = 0; order.size() < expected.size() && guard < 200; ++guard) {
      if (expected.contains(at->objectName()) && !order.contains(at->objectName()))
        order << at->objectName();
      at = at->nextInFocusChain();
    }
    QCOMPARE(order, expected);

    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    std::filesystem::create_directories(QM_SCREENSHOTS);
    QVERIFY(w.window.grab().save(QM_SCREENSHOTS "/window-after-startup.png"));
  }

  void filledStoreIsRestoredWithoutBeingRewritten() {
    SettingsStore::SaveSetting("Combo", "3");
    SettingsStore::SaveSetting("Folder", "/srv/slides");
    SettingsStore::SaveSetting("Option1", "False");
    SettingsStore::SaveSetting("Option2", "TRUE");
    const std::string before = qm::test::ReadStoreFile();
    StartedWindow w;
    QVERIFY(w.answerer.Shown().empty());
    QCOMPARE(w.Find<QComboBox>("Combo1")->currentIndex(), 3);
    QCOMPARE(w.Find<QLineEdit>("Text3")->text(), QString("/srv/slides"));
    QVERIFY(!w.Find<QRadioButton>("Option1")->isChecked());
    QVERIFY(w.Find<QRadioButton>("Option2")->isChecked());
    QVERIFY(!w.Find<QGroupBox>("Frame4")->isEnabled());
    QVERIFY(!w.Find<QLineEdit>("Text3")->isEnabled());
    QVERIFY(!w.Find<QPushButton>("PushButton4")->isEnabled());
    QCOMPARE(qm::test::ReadStoreFile(), before);
  }

  void badStoredValuesFailOnlyTheirOwnStep() {
    SettingsStore::SaveSetting("Combo", "x");
    SettingsStore::SaveSetting("Option1", "maybe");
    SettingsStore::SaveSetting("Folder", "/kept/");
    StartedWindow w;
    QVERIFY(w.loaded);
    const QStringList reports = w.answerer.Texts("ErrorReport");
    QCOMPARE(reports.size(), 2);
    QVERIFY(reports[0].contains("\r\nin Tessaly2021/08/31.Form1.Form_Load at line 146\r\r"));
    QVERIFY(reports[1].contains("\r\nin Tessaly2021/08/31.Form1.Form_Load at line 150\r\r"));
    QVERIFY(reports[1].startsWith("Type mismatch"));
    QCOMPARE(w.answerer.Shown()[0].title, QString("Application Error"));
    QVERIFY(w.answerer.Shown()[0].warningIcon);
    QCOMPARE(w.Find<QComboBox>("Combo1")->currentIndex(), -1);
    QCOMPARE(w.Find<QLineEdit>("Text3")->text(), QString("/kept/"));
    QVERIFY(w.Find<QRadioButton>("Option1")->isChecked());  // kept the state it had
    QVERIFY(w.Find<QGroupBox>("Frame4")->isEnabled());
  }

  void comboMinusOneSelectsNothingWithoutReport() {
    SettingsStore::SaveSetting("Combo", "-1");
    StartedWindow w;
    QVERIFY(w.answerer.Shown().empty());
    QCOMPARE(w.Find<QComboBox>("Combo1")->currentIndex(), -1);
  }

  void bothOptionsFalseLeaveNoneSelectedAndFolderDisabled() {
    SettingsStore::SaveSetting("Option1", "False");
    SettingsStore::SaveSetting("Option2", "0");
    StartedWindow w;
    QVERIFY(!w.Find<QRadioButton>("Option1")->isChecked());
    QVERIFY(!w.Find<QRadioButton>("Option2")->isChecked());
    QVERIFY(!w.Find<QGroupBox>("Frame4")->isEnabled());
  }

  void bothOptionsTrueEndWithOption2() {
    SettingsStore::SaveSetting("Option1", "true");
    SettingsStore::SaveSetting("Option2", "-1");
    StartedWindow w;
    QVERIFY(!w.Find<QRadioButton>("Option1")->isChecked());
    QVERIFY(w.Find<QRadioButton>("Option2")->isChecked());
    QVERIFY(!w.Find<QGroupBox>("Frame4")->isEnabled());
  }

  void emptyStoredFolderIsNotReplacedByTheDefault() {
    SettingsStore::SaveSetting("Folder", "");
    StartedWindow w;
    QCOMPARE(w.Find<QLineEdit>("Text3")->text(), QString());
  }

  // A first run must not meet "Folder does not exist.".
  void noDesktopFolderStartsWithTheHomeFolder() {
    std::filesystem::remove(DesktopFolder().toStdString());
    StartedWindow w;
    QVERIFY(w.loaded);
    QCOMPARE(w.Find<QLineEdit>("Text3")->text(), HomeFolder());
  }

  void damagedStoreStartsWithDefaultsAndIsMadeSoundByTheNextChange() {
    // Keys before the damage parse; every key still gives its default.
    qm::test::WriteStoreFile("[Quillmere]\nCombo=3\nFolder=/stored/\n[Quillmere\n\xff\xfe\x00garbage");
    StartedWindow w;
    QVERIFY(w.loaded);
    QVERIFY(w.answerer.Shown().empty());
    QCOMPARE(w.Find<QComboBox>("Combo1")->currentIndex(), 0);
    QCOMPARE(w.Find<QLineEdit>("Text3")->text(), DesktopFolder());
    QVERIFY(w.Find<QRadioButton>("Option1")->isChecked());
    QTest::mouseClick(w.Find<QRadioButton>("Option2"), Qt::LeftButton);
    QCOMPARE(SettingsStore::GetSetting("Option2", "missing"), std::string("True"));
    QCOMPARE(SettingsStore::GetSetting("Option1", "missing"), std::string("False"));
    // The values the window used came from the defaults, not from the damaged
    // file: what could be parsed of it must not come back at the next start.
    QCOMPARE(SettingsStore::GetSetting("Folder", "missing"), std::string("missing"));
    QCOMPARE(SettingsStore::GetSetting("Combo", "missing"), std::string("missing"));
  }

  void unwritableStoreLosesOnlyTheChangedValue() {
    // A folder where the file should be: it can be neither read nor replaced.
    std::filesystem::create_directories(SettingsStore::FilePath());
    StartedWindow w;
    QVERIFY(w.loaded);
    QVERIFY(w.answerer.Shown().empty());
    QCOMPARE(w.Find<QComboBox>("Combo1")->currentIndex(), 0);
    QTest::keyClicks(w.Find<QLineEdit>("Text3"), "x");
    QCOMPARE(w.Find<QLineEdit>("Text3")->text(), DesktopFolder() + "x");
    QVERIFY(!SettingsStore::SaveSetting("Folder", "/y/"));
    QCOMPARE(SettingsStore::GetSetting("Folder", "default"), std::string("default"));
  }

  void skinFileGivesTheSystemColours() {
    const std::string skin = qm::ProgramFolder() + "x/o.cjs";
    std::filesystem::create_directories(qm::ProgramFolder() + "x");
    std::ofstream(skin) << "skin";
    StartedWindow w;
    std::filesystem::remove_all(qm::ProgramFolder() + "x");
    const QColor face = QApplication::palette().color(QPalette::Button);
    QVERIFY(face != QColor(Qt::white));
    QCOMPARE(w.window.palette().color(QPalette::Window), face);
    QCOMPARE(w.Find<QGroupBox>("Frame3")->palette().color(QPalette::Window), face);
    QCOMPARE(w.Find<QRadioButton>("Option2")->palette().color(QPalette::Window), face);
    QVERIFY(w.answerer.Shown().empty());
  }

  void missingPresentationApplicationEndsBeforeTheWindowShows() {
    qm::test::FakeApplicationFactory factory;
    factory.failCreate = true;
    ModalAnswerer answerer;
    qm::Form1 window(factory, "/nonexistent/quillmere-job", 1);
    QVERIFY(!window.Load());
    QCOMPARE(answerer.Texts("MessageBox").size(), 1);
    QVERIFY(answerer.Texts("MessageBox")[0].startsWith(QString(qm::kNotInstalledMessage) + "\r\n"));
    QCOMPARE(answerer.Shown()[0].title, QString("Quillmere"));
    QVERIFY(!answerer.Shown()[0].warningIcon);
    QVERIFY(!window.isVisible());
  }
};

QTEST_MAIN(WindowStartupTest)
#include "WindowStartupTest.moc"
