// The window's message boxes and its input box: the reports that wait
// their turn during a run, and the boxes that wait for an answer.

#include <QApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <QTimer>

#include <algorithm>

#include "app/Form1.h"
#include "base/ApplicationTitle.h"

namespace qm {

namespace {

/// A message as a box shows it: the core ends lines with CR LF or a lone CR.
QString DisplayText(const std::string& text) {
  QString shown = QString::fromStdString(text);
  shown.replace("\r\n", "\n");
  shown.replace('\r', '\n');
  // A box wraps its text at spaces only, so a long path would run past its
  // edge: give it a chance to break (an invisible zero-width space) after
  // each "/" and every 32 characters of a run that has none.
  QString wrappable;
  wrappable.reserve(shown.size() + shown.size() / 16);
  int run = 0;
  for (const QChar c : shown) {
    wrappable += c;
    if (c.isSpace()) {
      run = 0;
    } else if (!c.isHighSurrogate() && (c == '/' || ++run >= 32)) {
      wrappable += QChar(0x200B);
      run = 0;
    }
  }
  return wrappable;
}

}  // namespace

void Form1::SetUpBox(QMessageBox& box, const std::string& text, MessageIcon icon,
                     const std::string& title) {
  box.setObjectName(icon == MessageIcon::Warning ? "ErrorReport" : "MessageBox");
  box.setProperty("rawText", QString::fromStdString(text));
  box.setWindowTitle(QString::fromStdString(title));
  box.setTextFormat(Qt::PlainText);
  box.setText(DisplayText(text));
  box.setIcon(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon);
  // At least as wide as its title, with room for the title bar's buttons:
  // a short text ("Done.") must not cut the caption to "Q...".
  const int titleWidth = box.fontMetrics().horizontalAdvance(box.windowTitle()) + 120;
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
}

MessageAnswer Form1::Message(const std::string& text, MessageButtons buttons, MessageIcon icon,
                             const std::string& title) {
  // Once the person has closed the window, a cancelled run shows nothing more.
  if (closeAfterRun_) return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
  // A report during a run waits its turn without holding up the jobs: the
  // run goes on converting while the person reads it.
  if (run_.RunInProgress() && buttons == MessageButtons::Ok && icon == MessageIcon::Warning) {
    auto* box = new QMessageBox(this);
    SetUpBox(*box, text, icon, title);
    box->setStandardButtons(QMessageBox::Ok);
    // Enter answers it even before a button of it has the focus.
    box->setDefaultButton(QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Not modal: the window's own close box must still end the run while
    // reports wait (a window under a modal box never gets its close).
    box->setWindowModality(Qt::NonModal);
    // Qt may say a box finished more than once (a held Enter, a close while
    // it ends): it leaves the queue by its identity, once.
    connect(box, &QDialog::finished, this, [this, box] { ReportFinished(box); });
    reports_.push_back(box);
    if (reports_.size() == 1) ShowNextReport();
    return MessageAnswer::Ok;
  }
  // Anything else comes after the reports shown so far, as it would in a
  // run that waited on each.
  WaitForReports();
  if (closeAfterRun_) return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
  QMessageBox box(this);
  SetUpBox(box, text, icon, title);
  if (buttons == MessageButtons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  CentreWhileHidden(box);
  const int answer = box.exec();
  if (buttons == MessageButtons::YesNo) return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
  return MessageAnswer::Ok;
}

void Form1::CentreWhileHidden(QWidget& box) const {
  // Over a window on screen Qt centres a box itself; over one not shown yet
  // (start-up's checks) it would put it in the screen's corner.
  // A message box settles its size only as it shows: placed once shown.
  if (isVisible()) return;
  QTimer::singleShot(0, &box, [&box] {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect room = screen->availableGeometry();
    box.move(room.center() - QPoint(box.frameGeometry().width() / 2, box.frameGeometry().height() / 2));
  });
}

void Form1::ReportFinished(QMessageBox* box) {
  const auto it = std::find(reports_.begin(), reports_.end(), box);
  if (it == reports_.end()) return;  // it left the queue before
  const bool shown = it == reports_.begin();
  reports_.erase(it);
  // The next box opens once this one has closed whole (it is still
  // closing here): opened now, the window manager would hand the keyboard
  // back to the window under them both.
  if (shown) QTimer::singleShot(0, this, &Form1::ShowNextReport);
}

void Form1::ShowNextReport() {
  while (!reports_.empty() && reports_.front().isNull()) reports_.pop_front();
  if (reports_.empty()) return;
  // Once the person has closed the window, what is left goes unread.
  if (closeAfterRun_) {
    DropReports();
    return;
  }
  if (reports_.front()->isVisible()) return;
  reports_.front()->show();
  // Keys go to the box, not to a button of the window under it.
  reports_.front()->raise();
  reports_.front()->activateWindow();
}

void Form1::DropReports() {
  std::deque<QPointer<QMessageBox>> dropped;
  dropped.swap(reports_);
  for (const QPointer<QMessageBox>& box : dropped) {
    if (box.isNull()) continue;
    box->disconnect(this);
    box->hide();
    box->deleteLater();
  }
}

void Form1::WaitForReports() {
  while (!reports_.empty()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

std::optional<std::string> Form1::InputBox(const std::string& prompt, const std::string& title,
                                           const std::string& defaultText) {
  QInputDialog box(this);
  box.setObjectName("InputBox");
  box.setWindowTitle(QString::fromStdString(title.empty() ? ApplicationTitle() : title));
  box.setProperty("rawText", QString::fromStdString(prompt));
  box.setLabelText(DisplayText(prompt));
  box.setTextValue(QString::fromStdString(defaultText));
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return box.textValue().toStdString();
}

}  // namespace qm
