// The window's runs against fake jobs (no LibreOffice): its queue of report
// boxes under a person who dismisses them as fast as they open (every deck
// fails once, so each file brings a report while the run goes on), and what
// its progress bar says.

#include <QGuiApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "app/Form1.h"
#include "tests/app/ModalAnswerer.h"
#include "tests/app/StoreFolder.h"
#include "tests/support/FakeApplicationFactory.h"

namespace {

/// `count` files in `folder` and the fake job's description of them: each a
/// deck of two slides whose second cannot be exported.
std::vector<std::string> FailingDecks(const QString& folder, int count) {
  std::vector<std::string> paths;
  QString decks;
  for (int i = 1; i <= count; ++i) {
    paths.push_back((folder + QString("/bad%1.pptx").arg(i)).toStdString());
    std::ofstream(paths.back()) << "not a deck";
    decks += QString::fromStdString(paths.back()) + "=2!;";
  }
  qputenv("QM_FAKE_DECKS", decks.toUtf8());
  return paths;
}

/// The window over `jobs` fake jobs, shown, with `decks` in its list and a
/// fresh output folder.
struct FakeJobWindow {
  FakeJobWindow(const std::vector<std::string>& decks, int jobs) : window(factory, QM_FAKE_JOB, jobs) {
    if (!window.Load()) qFatal("start-up failed");
    window.show();
    window.AddDroppedFiles(decks);
    window.findChild<QLineEdit*>("Text3")->setText(out.path());
  }
  void Start() { window.findChild<QPushButton*>("PushButton2")->click(); }

  QTemporaryDir out;
  qm::test::FakeApplicationFactory factory;
  qm::Form1 window;
};

}  // namespace

class FakeJobRunTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { qm::test::ClearStore(); }

  // Each report box gets Enter twice in a row, as a held key gives it, and
  // is then finished once more by hand: a box that finishes twice must not
  // take another report off the queue (the window crashed on an empty one).
  void reportsDismissedAsFastAsTheyOpenAreEachShownOnce() {
    QTemporaryDir in;
    const auto decks = FailingDecks(in.path(), 6);
    FakeJobWindow w(decks, 2);
    qm::Form1& window = w.window;

    QStringList reports, messages;
    QTimer dismisser;
    QObject::connect(&dismisser, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(qm::test::BoxToAnswer());
      if (box == nullptr || !box->isVisible()) return;
      if (box->objectName() == "ErrorReport") {
        reports << box->property("rawText").toString();
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Return);
        box->done(QMessageBox::Ok);
      } else {
        messages << box->property("rawText").toString();
        box->button(QMessageBox::Ok)->click();
      }
    });
    dismisser.start(1);
    w.Start();
    dismisser.stop();

    QCOMPARE(messages, QStringList{"Done."});
    QCOMPARE(reports.size(), 6);
    for (int i = 1; i <= 6; ++i)
      QCOMPARE(reports.filter(QString("bad%1.pptx: slide").arg(i)).size(), 1);
    QVERIFY(!window.RunInProgress());
  }

  // The bar's caption is the file's name as it stands: QProgressBar would
  // read "%p" in it as the percentage and show "%%" for an escaped "%".
  void progressCaptionShowsAFileNameWithPercentSignsAsItIs() {
    QTemporaryDir in;
    const std::string deck = (in.path() + "/100%p 50%%.pptx").toStdString();
    std::ofstream(deck) << "not a deck";
    qputenv("QM_FAKE_DECKS", QByteArray::fromStdString(deck + "=3@80"));
    FakeJobWindow w({deck}, 1);
    qm::Form1& window = w.window;

    auto* bar = window.findChild<QProgressBar*>("ProgressBar1");
    QStringList captions;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      if (!captions.contains(bar->text())) captions << bar->text();
      if (auto* box = qobject_cast<QMessageBox*>(qm::test::BoxToAnswer())) box->accept();
    });
    watcher.start(5);
    w.Start();
    watcher.stop();
    QVERIFY2(captions.contains("Processing: 100%p 50%%.pptx"), qPrintable(captions.join(" | ")));
  }

  // Closing the window while reports wait ends the run and drops them: the
  // window closes instead of waiting for each box to be dismissed.
  void closingTheWindowWithReportsQueuedClosesIt() {
    QTemporaryDir in;
    const auto decks = FailingDecks(in.path(), 6);
    FakeJobWindow w(decks, 2);
    qm::Form1& window = w.window;

    int closeTries = 0;
    bool blockedByModal = true;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
      if (qm::test::ShownReport() == nullptr || closeTries > 0) return;
      ++closeTries;
      // The close box's click reaches a window only when no modal window
      // blocks it: Qt drops the window manager's close then.
      blockedByModal = QGuiApplication::modalWindow() != nullptr;
      window.close();
    });
    closer.start(1);
    w.Start();
    closer.stop();

    QCOMPARE(closeTries, 1);
    QVERIFY(!blockedByModal);
    QVERIFY(!window.RunInProgress());
    QVERIFY(qm::test::WaitFor([&] { return !window.isVisible(); }));
    QVERIFY(qm::test::ShownReport() == nullptr);
  }
};

QTEST_MAIN(FakeJobRunTest)
#include "FakeJobRunTest.moc"
