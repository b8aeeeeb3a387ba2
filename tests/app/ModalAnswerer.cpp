#include "tests/app/ModalAnswerer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

namespace qm::test {

ModalAnswerer::ModalAnswerer() {
  connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Answer);
  timer_.start(5);
}

QStringList ModalAnswerer::Texts(const QString& kind) const {
  QStringList texts;
  for (const ShownBox& box : shown_)
    if (box.kind == kind) texts << box.text;
  return texts;
}

QWidget* ShownReport() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->objectName() == "ErrorReport" && window->isVisible()) return window;
  return nullptr;
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > milliseconds) return false;
    QTest::qWait(5);
  }
  return true;
}

QWidget* BoxToAnswer() {
  QWidget* modal = QApplication::activeModalWidget();
  return modal != nullptr ? modal : ShownReport();
}

void ModalAnswerer::Answer() {
  QWidget* modal = BoxToAnswer();
  // A box is answered once; its loop may take a moment to end.
  if (modal == nullptr || modal == last_ || !modal->isVisible()) return;
  last_ = modal;
  ShownBox box;
  box.kind = modal->objectName();
  box.title = modal->windowTitle();
  if (auto* message = qobject_cast<QMessageBox*>(modal)) {
    box.text = message->property("rawText").toString();
    box.warningIcon = message->icon() == QMessageBox::Warning;
    shown_.push_back(box);
    QAbstractButton* button = message->button(answerNo ? QMessageBox::No : QMessageBox::Yes);
    if (button == nullptr) button = message->button(QMessageBox::Ok);
    button->click();
  } else if (auto* input = qobject_cast<QInputDialog*>(modal)) {
    const QVariant raw = input->property("rawText");
    box.text = raw.isValid() ? raw.toString() : input->labelText();
    shown_.push_back(box);
    input->setTextValue(slideAnswer);
    input->accept();
  } else if (auto* browser = qobject_cast<QFileDialog*>(modal)) {
    box.folder = browser->directory().absolutePath();
    box.preselected = browser->selectedFiles().value(0);
    box.filters = browser->nameFilters();
    box.multiSelect = browser->fileMode() == QFileDialog::ExistingFiles;
    shown_.push_back(box);
    if (box.multiSelect) {
      if (pickFiles.isEmpty()) {
        browser->reject();
        return;
      }
      // Typed as the dialog's own name field takes several files: "a" "b".
      browser->setDirectory(pickFolder);
      QStringList quoted;
      for (const QString& name : pickFiles) quoted << '"' + name + '"';
      browser->findChild<QLineEdit*>("fileNameEdit")->setText(quoted.join(' '));
      static_cast<QDialog*>(browser)->accept();
    } else if (browseTo.isEmpty()) {
      browser->reject();
    } else {
      browser->setDirectory(browseTo);
      browser->selectFile(browseTo);
      static_cast<QDialog*>(browser)->accept();  // QFileDialog::accept, as its button would
    }
  } else if (modal->objectName() == "Form2") {
    shown_.push_back(box);
    if (leftToRight) modal->findChild<QRadioButton*>("Option2")->click();
    if (closeImageOption) {
      modal->close();
      return;
    }
    modal->findChild<QPushButton*>("PushButton1")->click();
  } else {
    last_ = nullptr;  // not one of ours: leave it alone
  }
}

}  // namespace qm::test
