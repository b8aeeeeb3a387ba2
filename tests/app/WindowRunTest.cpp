// The start button end to end: the sample decks converted from the window in
// each of the five modes by real job processes and LibreOffice, with the X
// question and the Image Option dialog answered as a person would.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImageReader>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "app/Form1.h"
#include "tests/app/ModalAnswerer.h"
#include "tests/app/StoreFolder.h"
#include "tests/support/FakeApplicationFactory.h"

using qm::test::ModalAnswerer;

namespace {

/// What the window showed while a run went on, sampled every few ms.
struct RunWatch {
  QStringList progressTexts;
  QList<int> progressValues;
  QList<int> barValues;
  bool busyDuringRun = false;
  qint64 longestPauseMs = 0;
  /// Press the start button once more while the run goes on.
  bool pressAgain = false;
};

/// name -> "WIDTHxHEIGHT" of every PNG in `folder`.
QMap<QString, QString> PngSizes(const QString& folder) {
  QMap<QString, QString> sizes;
  for (const QString& name : QDir(folder).entryList({"*"}, QDir::Files)) {
    const QSize size = QImageReader(folder + "/" + name).size();
    sizes[name] = QString("%1x%2").arg(size.width()).arg(size.height());
  }
  return sizes;
}

/// Presses the window's image settings button and, once the dialog shows,
/// lets `change` set its controls (nothing: leave them) and presses OK.
/// Returns the dialog's controls' values as "type size slides" at OK.
QString ChooseImageSettings(qm::Form1& window, const std::function<void(QWidget&)>& change) {
  QString seen;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || dialog->objectName() != "ImageSettings") return;
    if (change) change(*dialog);
    seen = QString("%1 %2 %3%4")
               .arg(dialog->findChild<QComboBox*>("Type")->currentText())
               .arg(dialog->findChild<QSpinBox*>("SizeValue")->value())
               .arg(dialog->findChild<QLineEdit*>("Slides")->text())
               .arg(dialog->findChild<QCheckBox*>("Transparent")->isChecked() ? " transparent" : "");
    QMetaObject::invokeMethod(dialog, "accept");
  });
  window.findChild<QPushButton*>("ImageSettings")->click();
  return seen;
}

}  // namespace

class WindowRunTest : public QObject {
  Q_OBJECT

 private:
  /// Converts the samples in mode `index` into a fresh folder and returns
  /// the images written there, by name with their sizes.
  QMap<QString, QString> ConvertSamples(int index, ModalAnswerer& answerer, RunWatch& watch,
                                        const char* screenshot = nullptr, bool clearStore = true) {
    if (clearStore) qm::test::ClearStore();
    QTemporaryDir out;
    qm::test::FakeApplicationFactory factory;  // answers the installed check only
    qm::Form1 window(factory, qm::DefaultJobPath(), 2);
    if (!window.Load()) qFatal("start-up failed");
    window.show();
    window.AddDroppedFiles({QM_SAMPLES});
    window.findChild<QComboBox*>("Combo1")->setCurrentIndex(index);
    window.findChild<QLineEdit*>("Text3")->setText(out.path());

    // Samples the window while the run yields to it.
    auto* bar = window.findChild<QProgressBar*>("ProgressBar1");
    QTimer sampler;
    QElapsedTimer clock;
    bool grabbed = false;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
      if (clock.isValid()) watch.longestPauseMs = std::max(watch.longestPauseMs, clock.restart());
      if (!window.RunInProgress()) return;
      if (!watch.progressTexts.contains(bar->text())) {
        watch.progressTexts << bar->text();
        watch.progressValues << bar->value();
      }
      if (window.CurrentPointer() == qm::Pointer::Busy) watch.busyDuringRun = true;
      if (watch.pressAgain && bar->text().startsWith("Processing:")) {
        watch.pressAgain = false;
        window.findChild<QPushButton*>("PushButton2")->click();
      }
      if (screenshot && !grabbed && bar->text().startsWith("Processing:")) {
        std::filesystem::create_directories(QM_SCREENSHOTS);
        grabbed = window.grab().save(QString(QM_SCREENSHOTS "/") + screenshot);
      }
    });
    // Every value the bar takes, from its own signal: sampling could miss one.
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) { watch.barValues << value; });
    sampler.start(10);
    clock.start();
    QTest::mouseClick(window.findChild<QPushButton*>("PushButton2"), Qt::LeftButton);
    sampler.stop();
    if (screenshot && !grabbed) qWarning("no screenshot taken during the run");
    [&] {
      QCOMPARE(answerer.Texts("MessageBox").value(answerer.Texts("MessageBox").size() - 1),
               QString("Done."));
      for (const QString& report : answerer.Texts("ErrorReport")) qWarning("report: %s", qPrintable(report));
      QVERIFY(answerer.Texts("ErrorReport").isEmpty());
      QCOMPARE(bar->text(), QString("Progress Bar"));
      QCOMPARE(bar->value(), 0);
      QCOMPARE(window.CurrentPointer(), qm::Pointer::Default);
      QVERIFY(!window.RunInProgress());
    }();
    std::printf("mode %d: longest pause of the window's event loop %lld ms\n", index,
                static_cast<long long>(watch.longestPauseMs));
    return PngSizes(out.path());
  }

 private slots:
  void eachSlideMode() {
    ModalAnswerer answerer;
    RunWatch watch;
    const auto images = ConvertSamples(0, answerer, watch, "window-during-run.png");
    QCOMPARE(images.size(), 11);
    QCOMPARE(images.value("Welcome_Slide4.png"), QString("960x540"));
    QCOMPARE(images.value("Seasons_Slide1.png"), QString("960x720"));
    QCOMPARE(images.value("Postcards_Slide3.png"), QString("576x384"));
    QVERIFY(watch.busyDuringRun);
    // The bar rises with the slides written, is full only when the last file
    // is, then goes back to 0; the text names a file being converted.
    QVERIFY2(watch.barValues.size() > 6, qPrintable(QString::number(watch.barValues.size())));
    QCOMPARE(watch.barValues.takeLast(), 0);
    QCOMPARE(watch.barValues.takeLast(), 100);
    for (int i = 1; i < watch.barValues.size(); ++i) QVERIFY(watch.barValues[i] > watch.barValues[i - 1]);
    QVERIFY(watch.barValues.last() < 100);
    const QStringList names = {"Processing: Postcards.pptx", "Processing: Seasons.pptx",
                               "Processing: Welcome.pptx"};
    QVERIFY(!watch.progressTexts.filter("Processing: ").isEmpty());
    for (const QString& text : watch.progressTexts.filter("Processing: "))
      QVERIFY2(names.contains(text), qPrintable(text));
  }

  void allSlidesLeftToRightMode() {
    ModalAnswerer answerer;
    answerer.leftToRight = true;
    RunWatch watch;
    const auto images = ConvertSamples(1, answerer, watch);
    QCOMPARE(answerer.Texts("Form2").size(), 1);  // once per run, not per file
    QCOMPARE(images, (QMap<QString, QString>{{"Welcome.png", "3840x540"},
                                             {"Seasons.png", "3840x720"},
                                             {"Postcards.png", "1728x384"}}));
  }

  void firstSlideMode() {
    ModalAnswerer answerer;
    RunWatch watch;
    QCOMPARE(ConvertSamples(2, answerer, watch),
             (QMap<QString, QString>{{"Welcome_Slide1.png", "960x540"},
                                     {"Seasons_Slide1.png", "960x720"},
                                     {"Postcards_Slide1.png", "576x384"}}));
  }

  void secondSlideMode() {
    ModalAnswerer answerer;
    RunWatch watch;
    QCOMPARE(ConvertSamples(3, answerer, watch),
             (QMap<QString, QString>{{"Welcome_Slide2.png", "960x540"},
                                     {"Seasons_Slide2.png", "960x720"},
                                     {"Postcards_Slide2.png", "576x384"}}));
  }

  void slideXModeAsksOnce() {
    ModalAnswerer answerer;
    answerer.slideAnswer = "3";
    RunWatch watch;
    watch.pressAgain = true;  // ignored: one run, one question, one "Done."
    QCOMPARE(ConvertSamples(4, answerer, watch),
             (QMap<QString, QString>{{"Welcome_Slide3.png", "960x540"},
                                     {"Seasons_Slide3.png", "960x720"},
                                     {"Postcards_Slide3.png", "576x384"}}));
    QVERIFY(!watch.pressAgain);
    QCOMPARE(answerer.Texts("InputBox"), QStringList{"Enter X: "});
    QCOMPARE(answerer.Texts("MessageBox"), QStringList{"Done."});
  }

  void imageSettingsReachTheRunAndAreRemembered() {
    qm::test::ClearStore();
    {
      qm::test::FakeApplicationFactory factory;
      qm::Form1 window(factory, qm::DefaultJobPath(), 2);
      QVERIFY(window.Load());
      window.show();
      // Nothing chosen yet: the dialog shows what the window always did.
      QCOMPARE(ChooseImageSettings(window, {}), QString("PNG 0 "));
      QCOMPARE(ChooseImageSettings(window, [](QWidget& dialog) {
                 dialog.findChild<QComboBox*>("Type")->setCurrentIndex(2);
                 dialog.findChild<QComboBox*>("SizeKind")->setCurrentIndex(2);
                 dialog.findChild<QSpinBox*>("SizeValue")->setValue(480);
                 dialog.findChild<QLineEdit*>("Slides")->setText("2");
                 dialog.findChild<QCheckBox*>("Transparent")->setChecked(true);
               }),
               QString("WebP 480 2 transparent"));
    }
    ModalAnswerer answerer;
    RunWatch watch;
    const QStringList written = ConvertSamples(0, answerer, watch, nullptr, false).keys();
    QCOMPARE(written, (QStringList{"Postcards_Slide2.webp", "Seasons_Slide2.webp",
                                   "Welcome_Slide2.webp"}));
    // A later start of the window shows them again.
    qm::test::FakeApplicationFactory factory;
    qm::Form1 window(factory, qm::DefaultJobPath(), 2);
    QVERIFY(window.Load());
    QCOMPARE(ChooseImageSettings(window, {}), QString("WebP 480 2 transparent"));
  }
};

QTEST_MAIN(WindowRunTest)
#include "WindowRunTest.moc"
