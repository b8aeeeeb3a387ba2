#pragma once
// The Image Option dialog: asks for the stitching direction of the mode
// "Save all slides as one big image". Made afresh for every run, so
// "Top to Bottom " is selected each time it opens.

#include <QCursor>
#include <QDialog>
#include <optional>

#include "base/Ui.h"

class QPushButton;
class QRadioButton;

namespace qm {

class Form2 : public QDialog {
  Q_OBJECT

 public:
  /// Builds the dialog and runs its loading steps, reporting a failing step
  /// through `ui` (the main window) under its error trap.
  Form2(Ui& ui, QWidget* parent);

  /// The direction the dialog set: 1 (top to bottom) unless OK was pressed
  /// with "Left to Right" selected, which gives 2. Closing the dialog with
  /// its close box leaves 1.
  short StitchDirection() const { return direction_; }

  /// The dialog's pointer (default, busy or custom).
  Pointer CurrentPointer() const { return pointer_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Load();
  void PushButton1Click();
  void SetPointer(Pointer pointer);

  Ui& ui_;
  QRadioButton* option1_;
  QRadioButton* option2_;
  QPushButton* pushButton1_;
  std::optional<QCursor> hand_;
  Pointer pointer_ = Pointer::Default;
  short direction_ = kTopToBottom;
};

}  // namespace qm
