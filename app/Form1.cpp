#include "app/Form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "app/CaptionBar.h"
#include "app/FileListView.h"
#include "app/SettingsStore.h"
#include "app/Form2.h"
#include "app/Twips.h"
#include "app/WindowLook.h"
#include "base/Error.h"
#include "filelist/FolderImport.h"

namespace qm {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, QRect where) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(name);
  button->setGeometry(where);
  button->setFont(ButtonFont());
  return button;
}

QGroupBox* MakeFrame(QWidget* parent, const char* name, const char* caption, QRect where) {
  auto* frame = new QGroupBox(QString::fromUtf8(caption), parent);
  frame->setObjectName(name);
  frame->setGeometry(where);
  return frame;
}

}  // namespace

Form1::Form1(ApplicationFactory& factory, std::string jobPath, int jobs)
    : factory_(factory),
      runner_(std::move(jobPath), jobs),
      run_(factory, *this, *this),
      dragPointer_(DragPointer()) {
  run_.SetJobRunner(&runner_);
  BuildControls();
}

Form1::~Form1() = default;

void Form1::BuildControls() {
  setObjectName("Form1");
  // Fixed size, with a minimize box and no maximize box.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(TwipsSize(8040, 7575));
  setFont(WindowFont());
  PlaceControls();
  OrderTabs();
  UseWhiteBackground(*this);
  TrackPointer();
  ConnectControls();
}

void Form1::PlaceControls() {
  listView1_ = new FileListView(this);
  listView1_->setGeometry(TwipsRect(120, 120, 7800, 2535));
  pushButton1_ = MakeButton(this, "PushButton1", "Add PowerPoint Files", TwipsRect(120, 2750, 3840, 405));
  pushButton5_ = MakeButton(this, "PushButton5", "Add All PowerPoint Files In Folder",
                            TwipsRect(4080, 2750, 3840, 405));
  pushButton7_ = MakeButton(this, "PushButton7", "Clear List", TwipsRect(120, 3260, 3840, 405));
  pushButton8_ = MakeButton(this, "PushButton8", "Load Sample/Example Files",
                            TwipsRect(4080, 3260, 3840, 405));

  frame2_ = MakeFrame(this, "Frame2", "Save Options", TwipsRect(120, 3705, 7800, 800));
  combo1_ = new QComboBox(frame2_);
  combo1_->setObjectName("Combo1");
  combo1_->setGeometry(TwipsRect(240, 300, 7275, 345));
  // Beside the frame's caption, so every control of the design keeps its place.
  imageSettingsButton_ = MakeButton(frame2_, "ImageSettings", "Image Settings...",
                                    TwipsRect(5640, 0, 1875, 270));

  frame3_ = MakeFrame(this, "Frame3", "Save Option", TwipsRect(120, 4560, 7800, 1815));
  option1_ = new QRadioButton("Save results to this folder:", frame3_);
  option1_->setObjectName("Option1");
  option1_->setGeometry(TwipsRect(240, 300, 3615, 255));
  option1_->setChecked(true);
  frame4_ = MakeFrame(frame3_, "Frame4", "", TwipsRect(480, 510, 6840, 810));
  text3_ = new QLineEdit(frame4_);
  text3_->setObjectName("Text3");
  text3_->setGeometry(TwipsRect(240, 300, 5670, 345));
  pushButton4_ = MakeButton(frame4_, "PushButton4", "...", TwipsRect(6000, 300, 600, 345));
  option2_ = new QRadioButton("Save results in folder of original file", frame3_);
  option2_->setObjectName("Option2");
  option2_->setGeometry(TwipsRect(240, 1410, 3615, 255));

  pushButton2_ = MakeButton(this, "PushButton2", "Start Saving As PNG", TwipsRect(120, 6510, 7800, 405));
  progressBar1_ = new CaptionBar(this);
  progressBar1_->setObjectName("ProgressBar1");
  progressBar1_->setGeometry(TwipsRect(120, 7030, 7800, 405));
  progressBar1_->setRange(0, 100);
  progressBar1_->setValue(0);
  progressBar1_->setAlignment(Qt::AlignCenter);
  progressBar1_->setTextVisible(true);
  progressBar1_->SetCaption("Progress Bar");
}

void Form1::OrderTabs() {
  // Tab order of the design: ListView1 (0), PushButton1 (4), PushButton5,
  // PushButton7, PushButton2, ProgressBar1, Frame2, Combo1, PushButton8,
  // Frame3, Option2, Option1, Frame4, Text3, PushButton4 (17).
  const QWidget* order[] = {listView1_, pushButton1_, pushButton5_, pushButton7_, pushButton2_,
                            combo1_,    pushButton8_, option2_,     option1_,     text3_,
                            pushButton4_, imageSettingsButton_};
  for (size_t i = 1; i < std::size(order); ++i)
    setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
}

void Form1::TrackPointer() {
  for (QWidget* button : {pushButton1_, pushButton2_, pushButton4_, pushButton5_, pushButton7_,
                          pushButton8_, imageSettingsButton_}) {
    button->setMouseTracking(true);
    button->installEventFilter(this);
  }
  for (QWidget* plain : {static_cast<QWidget*>(this), static_cast<QWidget*>(frame2_),
                         static_cast<QWidget*>(frame3_), static_cast<QWidget*>(frame4_),
                         listView1_->viewport()}) {
    plain->setMouseTracking(true);
    plain->installEventFilter(this);
  }
}

void Form1::ConnectControls() {
  connect(combo1_, &QComboBox::currentIndexChanged, this, &Form1::Combo1Changed);
  connect(text3_, &QLineEdit::textChanged, this, &Form1::Text3Changed);
  connect(option1_, &QRadioButton::clicked, this, &Form1::OptionClicked);
  connect(option2_, &QRadioButton::clicked, this, &Form1::OptionClicked);
  connect(pushButton4_, &QPushButton::clicked, this, &Form1::BrowseOutputFolder);
  connect(imageSettingsButton_, &QPushButton::clicked, this, &Form1::ImageSettingsClick);
  connect(pushButton2_, &QPushButton::clicked, this, &Form1::PushButton2Click);
  ConnectListCommands();
  ConnectRowDrag();
}

bool Form1::LinksAllowed() {
  // Only a person who edits the settings file turns this on; anything but a
  // truth value there keeps the renderer confined.
  try {
    return TruthFromText(SettingsStore::GetSetting(SettingsStore::kAllowLinks, "False"));
  } catch (const Error&) {
    return false;
  }
}

void Form1::AddDroppedFiles(const std::vector<std::string>& paths) {
  AddDroppedPaths(files_, *this, paths);
  listView1_->ShowRows(files_);
}

void Form1::PushButton2Click() {
  // A press while a run is under way (from a yield) returns at once.
  if (!run_.RunInProgress()) runner_.SetAllowLinks(LinksAllowed());
  run_.Start();
  if (closeAfterRun_ && !run_.RunInProgress()) close();
}

void Form1::closeEvent(QCloseEvent* event) {
  if (run_.RunInProgress()) {
    // The run unwinds first: its jobs stop at their next slide and clean up,
    // then the window closes.
    closeAfterRun_ = true;
    DropReports();
    run_.Cancel();
    event->ignore();
    return;
  }
  QueryUnload();
  event->accept();
}

short Form1::ChooseStitchDirection() {
  Form2 dialog(*this, this);
  dialog.exec();
  return dialog.StitchDirection();
}

void Form1::SetProgressValue(int value) { progressBar1_->setValue(value); }

void Form1::SetProgressText(const std::string& text) {
  // One line, shortened in the middle when it does not fit: a long name
  // keeps its start and its end.
  progressBar1_->setProperty("rawText", QString::fromStdString(text));
  progressBar1_->SetCaption(progressBar1_->fontMetrics().elidedText(
      QString::fromStdString(text), Qt::ElideMiddle, progressBar1_->width() - 24));
}

void Form1::SetPointer(Pointer pointer) {
  pointer_ = pointer;
  setCursor(CursorFor(pointer, hand_));
}

void Form1::Yield() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

SaveMode Form1::Mode() {
  return combo1_->currentIndex() < 0 ? SaveMode::kNone
                                     : SaveModeOfText(combo1_->currentText().toStdString());
}

bool Form1::SaveToFolder() { return option1_->isChecked(); }

std::string Form1::OutputFolderText() { return text3_->text().toStdString(); }

bool Form1::SaveBesideSource() { return option2_->isChecked(); }

}  // namespace qm
