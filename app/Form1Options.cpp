// The output options of the main window and its pointer rules.

#include <QComboBox>
#include <QEnterEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/BrowseForFolder.h"
#include "app/Form1.h"
#include "app/ImageSettings.h"
#include "app/ImageSettingsDialog.h"
#include "app/SettingsStore.h"
#include "base/ErrorTrap.h"
#include "base/Paths.h"

namespace qm {

namespace {

/// PushButton4_Click's (BrowseOutputFolder's) step lines.
enum BrowseLine : int {
  kBrowse = 100,
  kCancelled = 102,
  kSetFolder = 104,
  kStoreFolder = 106,
};

}  // namespace

void Form1::ImageSettingsClick() {
  ImageSettingsDialog dialog(ImageSettings::Load(), this);
  // A store that cannot be written loses only the change, as with every
  // setting of the window.
  if (dialog.exec() == QDialog::Accepted) (void)ImageSettings::Save(dialog.Chosen());
}

ConversionRequest Form1::Request() { return ImageSettings::Load(); }

void Form1::Combo1Changed(int index) {
  SettingsStore::SaveSetting(SettingsStore::kCombo, std::to_string(index));
}

void Form1::Text3Changed(const QString& text) {
  SettingsStore::SaveSetting(SettingsStore::kFolder, text.toStdString());
}

void Form1::OptionClicked() {
  SettingsStore::SaveSetting(SettingsStore::kOption1, TruthText(option1_->isChecked()));
  SettingsStore::SaveSetting(SettingsStore::kOption2, TruthText(option2_->isChecked()));
  ApplyFrame4Rule();
}

void Form1::ApplyFrame4Rule() { frame4_->setEnabled(option1_->isChecked()); }

void Form1::BrowseOutputFolder() {
  ErrorTrap trap(*this, "Form1", "PushButton4_Click");
  std::string chosen;
  trap.Step(kBrowse, [&] { chosen = BrowseForFolder(this, "Select Folder", ""); });
  if (trap.HoldsOrFails(kCancelled, [&] { return chosen.empty(); })) return;
  std::string folder;
  trap.Step(kSetFolder, [&] {
    folder = CollapseSeparators(chosen + "/");
    text3_->setText(QString::fromStdString(folder));
  });
  trap.Step(kStoreFolder, [&] { SettingsStore::SaveSetting(SettingsStore::kFolder, folder); });
}

void Form1::SetHandPointer() {
  if (pointer_ != Pointer::Busy) SetPointer(Pointer::Custom);
}

void Form1::ResetPointer() {
  if (pointer_ != Pointer::Busy) SetPointer(Pointer::Default);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  // Enter presses the button that has the focus, as Space does (outside a
  // dialog Qt's buttons take only Space), and like Space on its release:
  // the Enter that closed the last box of a run must not start another as
  // it is let go. A held key and an Enter while reports wait press nothing.
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    const auto* key = static_cast<QKeyEvent*>(event);
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button != nullptr && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
      if (key->isAutoRepeat() || !reports_.empty()) {
        enterPressedOn_ = nullptr;
      } else if (event->type() == QEvent::KeyPress) {
        enterPressedOn_ = button;
      } else if (enterPressedOn_ == button) {
        enterPressedOn_ = nullptr;
        button->click();
      }
      return true;
    }
  }
  QPointF at;
  if (event->type() == QEvent::MouseMove)
    at = static_cast<QMouseEvent*>(event)->position();
  else if (event->type() == QEvent::Enter)
    at = static_cast<QEnterEvent*>(event)->position();
  else
    return QWidget::eventFilter(watched, event);
  if (qobject_cast<QPushButton*>(watched) != nullptr) {
    SetHandPointer();
  } else if (static_cast<QWidget*>(watched)->childAt(at.toPoint()) == nullptr) {
    // The background itself: a move over a child reaches here too, passed on
    // by the child, and is the child's own business.
    ResetPointer();
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace qm
