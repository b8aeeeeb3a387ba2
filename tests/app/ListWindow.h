#pragma once
// A shown window with a fake presentation application, for the tests that
// fill and empty its list.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTest>
#include <QTreeWidget>

#include "app/FileListView.h"
#include "app/Form1.h"
#include "tests/app/ModalAnswerer.h"
#include "tests/support/FakeApplicationFactory.h"

namespace qm::test {

/// The window, loaded and shown, with its list at hand. Modal dialogs are
/// answered through `answerer`.
struct ListWindow {
  FakeApplicationFactory factory;
  ModalAnswerer answerer;
  Form1 window{factory, "/nonexistent/quillmere-job", 1};
  FileListView* list = nullptr;

  ListWindow() {
    window.Load();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) qFatal("window not shown");
    list = window.findChild<FileListView*>("ListView1");
  }

  /// The model's rows; stops the test when the list shows anything else.
  QStringList Rows() const {
    QStringList rows;
    for (int i = 1; i <= window.Files().FileCount(); ++i)
      rows << QString::fromStdString(window.Files().FileAt(i));
    QStringList shown;
    for (int i = 0; i < list->topLevelItemCount(); ++i) shown << list->topLevelItem(i)->text(0);
    if (shown != rows) qFatal("the list shows other rows than the model holds");
    return rows;
  }
};

/// An empty file at `path`, its folders made as needed.
inline void MakeFile(const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) qFatal("cannot make %s", qPrintable(path));
}

}  // namespace qm::test
