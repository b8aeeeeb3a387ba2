// quillmere-window-bench: converts a folder of decks from the window (each
// slide as its own image, into OUT) and prints how long the run took and
// the longest pause of the window's event loop during it.
//
//   quillmere-window-bench DECKS OUT      (needs a display or -platform offscreen)

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "app/Form1.h"
#include "engine/adapter/LibreOfficeApplicationFactory.h"
#include "engine/render/RenderWorkerPool.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() != 3) {
    std::fprintf(stderr, "usage: quillmere-window-bench DECKS OUT\n");
    return 2;
  }
  qm::LibreOfficeApplicationFactory factory;
  qm::Form1 window(factory, qm::DefaultJobPath(), qm::DefaultJobCount());
  if (!window.Load()) return 1;
  factory.Pool().Shutdown();
  window.show();
  window.AddDroppedFiles({arguments[1].toStdString()});
  window.findChild<QComboBox*>("Combo1")->setCurrentIndex(0);
  window.findChild<QLineEdit*>("Text3")->setText(arguments[2]);

  // Every box of the run ("Done." included) is answered at once and counted.
  int boxes = 0;
  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      if (box->isVisible()) {
        ++boxes;
        if (box->text() != "Done.") std::fprintf(stderr, "box: %s\n", qPrintable(box->text()));
        box->button(QMessageBox::Ok)->click();
      }
    }
  });
  answerer.start(5);

  QElapsedTimer sinceTick;
  qint64 longestPause = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    longestPause = std::max(longestPause, sinceTick.restart());
  });
  ticker.start(5);
  sinceTick.start();

  QElapsedTimer run;
  run.start();
  window.findChild<QPushButton*>("PushButton2")->click();
  const qint64 runMs = run.elapsed();
  std::printf("files %d, run %.2f s, longest pause of the event loop %lld ms, boxes %d\n",
              window.Files().FileCount(), static_cast<double>(runMs) / 1000.0,
              static_cast<long long>(longestPause), boxes);
  return 0;
}
