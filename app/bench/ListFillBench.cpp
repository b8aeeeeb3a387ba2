// quillmere-list-bench: how long filling the window's list from one big
// folder takes, by a drop on the list and by "Add All PowerPoint Files In
// Folder", and whether the window kept painting meanwhile.
//
//   quillmere-list-bench [COUNT]    (needs a display or -platform offscreen)
//
// Makes COUNT empty .pptx files (default 10000) in folders of 100 under a
// private temporary folder, then fills a fresh window's list from it twice.
// For each way it prints the time until every file is in the list, the
// longest pause of the event loop, and how many times the list was painted
// while the files were gathered (the bench asks for a repaint every 5 ms).
// Settings go to the temporary folder too, and it is removed at the end.

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/FileListView.h"
#include "app/Form1.h"
#include "engine/adapter/LibreOfficeApplicationFactory.h"
#include "engine/batch/JobRunner.h"
#include "engine/render/RenderWorkerPool.h"

namespace {

namespace fs = std::filesystem;

/// Counts the paint events of the object it watches.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

struct Figures {
  double seconds = 0;
  qint64 longestPauseMs = 0;
  int paints = 0;
  int rows = 0;
};

/// Starts `fill` on a fresh window and runs the event loop until the list
/// holds `count` rows (or a minute passes), while a 5 ms ticker asks the list
/// to repaint and notes the longest gap between its ticks.
Figures Measure(int count, const std::function<void(qm::Form1&)>& fill) {
  qm::LibreOfficeApplicationFactory factory;
  qm::Form1 window(factory, qm::DefaultJobPath(), 1);
  if (!window.Load()) std::exit(1);
  factory.Pool().Shutdown();
  window.show();
  auto* list = window.findChild<qm::FileListView*>("ListView1");
  PaintCounter counter;
  list->viewport()->installEventFilter(&counter);

  Figures figures;
  QElapsedTimer sinceTick;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    figures.longestPauseMs = std::max(figures.longestPauseMs, sinceTick.restart());
    list->viewport()->update();
  });
  QApplication::processEvents();
  counter.paints = 0;
  ticker.start(5);
  sinceTick.start();
  QElapsedTimer clock;
  clock.start();
  fill(window);
  while (window.Files().FileCount() < count && clock.elapsed() < 60'000)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  figures.seconds = static_cast<double>(clock.elapsed()) / 1000.0;
  ticker.stop();
  figures.paints = counter.paints;
  figures.rows = window.Files().FileCount();
  return figures;
}

void Print(const char* way, const Figures& f) {
  std::printf("%-8s %6d rows in %6.2f s, longest pause %4lld ms, list painted %d times\n", way,
              f.rows, f.seconds, static_cast<long long>(f.longestPauseMs), f.paints);
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  if (count < 1) {
    std::fprintf(stderr, "usage: quillmere-list-bench [COUNT]\n");
    return 2;
  }
  char pattern[] = "/tmp/qm-list-bench-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return 1;
  const fs::path work = pattern;
  ::setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
  const fs::path decks = work / "decks";
  for (int i = 0; i < count; ++i) {
    const fs::path folder = decks / ("part" + std::to_string(i / 100));
    if (i % 100 == 0) fs::create_directories(folder);
    std::ofstream(folder / ("deck" + std::to_string(i) + ".pptx"));
  }

  QApplication application(argc, argv);
  const QString folder = QString::fromStdString(decks.string());

  Print("drop", Measure(count, [&](qm::Form1& window) {
          auto* viewport = window.findChild<qm::FileListView*>("ListView1")->viewport();
          QMimeData data;
          data.setUrls({QUrl::fromLocalFile(folder)});
          const QPoint at(20, 20);
          QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
          QApplication::sendEvent(viewport, &enter);
          QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
          QApplication::sendEvent(viewport, &drop);
        }));

  // The extension box and the folder browser are answered as a person would.
  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* input = qobject_cast<QInputDialog*>(modal)) {
      input->setTextValue("pptx");
      input->accept();
    } else if (auto* browser = qobject_cast<QFileDialog*>(modal)) {
      browser->setDirectory(folder);
      browser->selectFile(folder);
      static_cast<QDialog*>(browser)->accept();
    }
  });
  answerer.start(10);
  Print("add all", Measure(count, [](qm::Form1& window) {
          QTimer::singleShot(0, &window, [&window] {
            window.findChild<QPushButton*>("PushButton5")->click();
          });
        }));
  answerer.stop();
  fs::remove_all(work);
  return 0;
}
