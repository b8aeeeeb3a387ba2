#include "app/Form2.h"

#include <QEvent>
#include <QPushButton>
#include <QRadioButton>

#include "app/Twips.h"
#include "app/WindowLook.h"
#include "base/ErrorTrap.h"
#include "base/Paths.h"
#include "base/ProgramFolder.h"

namespace qm {

namespace {

/// Form_Load's step lines.
enum LoadLine : int {
  kSystemColours = 100,
  kIcon = 102,
  kCursorFileExists = 104,
  kLoadCursor = 106,
};

/// PushButton1_Click's step lines.
enum OkLine : int {
  kOption1Selected = 100,
  kSetTopToBottom = 102,
  kOption2Selected = 104,
  kSetLeftToRight = 106,
  kClose = 108,
};

}  // namespace

Form2::Form2(Ui& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
  setObjectName("Form2");
  setWindowTitle("Image Option");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(TwipsSize(3705, 1215));
  setFont(WindowFont());
  setModal(true);

  option1_ = new QRadioButton("Top to Bottom ", this);
  option1_->setObjectName("Option1");
  option1_->setGeometry(TwipsRect(135, 180, 1635, 420));
  option1_->setChecked(true);
  option2_ = new QRadioButton("Left to Right", this);
  option2_->setObjectName("Option2");
  option2_->setGeometry(TwipsRect(1935, 180, 1635, 420));
  pushButton1_ = new QPushButton("OK", this);
  pushButton1_->setObjectName("PushButton1");
  pushButton1_->setGeometry(TwipsRect(135, 675, 3465, 400));
  pushButton1_->setFont(ButtonFont());
  pushButton1_->setDefault(true);
  setTabOrder(option1_, option2_);
  setTabOrder(option2_, pushButton1_);
  UseWhiteBackground(*this);

  for (QWidget* watched : {static_cast<QWidget*>(this), static_cast<QWidget*>(pushButton1_)}) {
    watched->setMouseTracking(true);
    watched->installEventFilter(this);
  }
  connect(pushButton1_, &QPushButton::clicked, this, &Form2::PushButton1Click);
  Load();
}

void Form2::Load() {
  ErrorTrap trap(ui_, "Form2", "Form_Load");
  trap.Step(kSystemColours, [&] { UseSystemColors(*this); });
  trap.Step(kIcon, [&] { setWindowIcon(ProgramIcon()); });
  const std::string cursorFile = DataFolder() + "HAND-M.CUR";
  if (trap.HoldsOrFails(kCursorFileExists, [&] { return FileExists(cursorFile); }))
    trap.Step(kLoadCursor, [&] { hand_ = LoadCursorFile(cursorFile); });
}

void Form2::PushButton1Click() {
  ErrorTrap trap(ui_, "Form2", "PushButton1_Click");
  if (trap.HoldsOrFails(kOption1Selected, [&] { return option1_->isChecked(); }))
    trap.Step(kSetTopToBottom, [&] { direction_ = kTopToBottom; });
  else if (trap.HoldsOrFails(kOption2Selected, [&] { return option2_->isChecked(); }))
    trap.Step(kSetLeftToRight, [&] { direction_ = kLeftToRight; });
  trap.Step(kClose, [&] { accept(); });
}

void Form2::SetPointer(Pointer pointer) {
  pointer_ = pointer;
  setCursor(CursorFor(pointer, hand_));
}

bool Form2::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
    if (pointer_ != Pointer::Busy)
      SetPointer(watched == pushButton1_ ? Pointer::Custom : Pointer::Default);
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace qm
