// The main window's start-up and closing.

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStandardPaths>

#include "app/FileListView.h"
#include "app/Form1.h"
#include "app/SettingsStore.h"
#include "app/Twips.h"
#include "app/WindowLook.h"
#include "base/ApplicationTitle.h"
#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "base/Paths.h"
#include "base/ProgramFolder.h"
#include "engine/adapter/PresentationChecks.h"
#include "engine/export/SaveModes.h"
#include "imaging/writers/GdiPlusSession.h"

namespace qm {

namespace {

/// Form_Load's step lines, as its error report quotes them.
enum LoadLine : int {
  kApplySkin = 100,
  kCursorFileExists = 102,
  kLoadCursor = 104,
  kCaptionAndTitle = 130,
  kColumnHeader = 132,
  kColumnWidth = 134,
  kFirstModeEntry = 136,  // one line per entry, 136 to 144
  kRestoreCombo = 146,
  kRestoreFolder = 148,
  kRestoreOption1 = 150,
  kRestoreOption2 = 152,
  kOption1Selected = 154,
  kEnableFrame4 = 156,
  kDisableFrame4 = 158,
  kCheckInstalled = 160,
  kStartGdiPlus = 162,
  kGdiFailedMessage = 164,
  kSetGdiStartFailed = 166,
};

/// Form_QueryUnload's step lines.
enum UnloadLine : int {
  kStopGdiPlus = 100,
};

/// The program's name; the window's caption and the source of ApplicationTitle.
constexpr const char* kProductName = "Quillmere";

/// The save modes in the selector's order; the stored "Combo" is an index here.
constexpr const char* kModeEntries[] = {kModeEachSlide, kModeAllSlides, kModeFirstSlide,
                                        kModeSecondSlide, kModeXSlide};

/// The output folder of a first start, followed by "/": the user's desktop
/// folder, or the home folder where there is no desktop folder (a first run
/// must not meet "Folder does not exist.").
std::string DefaultOutputFolder() {
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (!desktop.isEmpty() && FolderExists(desktop.toStdString())) return desktop.toStdString() + "/";
  const QString home = QDir::homePath();
  if (home.isEmpty()) throw Error("Neither the desktop folder nor the home folder can be found");
  return home.toStdString() + (home.endsWith('/') ? "" : "/");
}

/// Sets an option button as the form's assignment does: true selects it and
/// clears the other of its group; false clears it, leaving the group with
/// none selected.
void SetOptionState(QRadioButton& button, bool selected) {
  if (selected) {
    button.setChecked(true);
  } else if (button.isChecked()) {
    button.setAutoExclusive(false);
    button.setChecked(false);
    button.setAutoExclusive(true);
  }
}

}  // namespace

bool Form1::Load() {
  ErrorTrap trap(*this, "Form1", "Form_Load");
  trap.Step(kApplySkin, [&] { ApplySkin(); });
  const std::string cursorFile = DataFolder() + "HAND-M.CUR";
  if (trap.HoldsOrFails(kCursorFileExists, [&] { return FileExists(cursorFile); })) {
    trap.Step(kLoadCursor, [&] {
      hand_ = LoadCursorFile(cursorFile);
      if (!hand_) throw Error("The pointer file " + cursorFile + " cannot be read as a cursor");
    });
  }
  trap.Step(kCaptionAndTitle, [&] {
    setWindowTitle(kProductName);
    setWindowIcon(ProgramIcon());
    SetApplicationTitle(ApplicationTitleFrom(kProductName));
  });
  trap.Step(kColumnHeader, [&] { listView1_->InitColumn(); });
  trap.Step(kColumnWidth, [&] { listView1_->setColumnWidth(0, Px(FileList::kColumnWidthTwips)); });
  {
    const QSignalBlocker quiet(combo1_);
    int line = kFirstModeEntry;
    for (const char* entry : kModeEntries) {
      trap.Step(line, [&] { combo1_->addItem(QString::fromUtf8(entry)); });
      line += 2;
    }
    // A list that is filled selects nothing until the stored choice is restored.
    combo1_->setCurrentIndex(-1);
  }
  RestoreOptions(trap);
  if (trap.HoldsOrFails(kOption1Selected, [&] { return option1_->isChecked(); }))
    trap.Step(kEnableFrame4, [&] { frame4_->setEnabled(true); });
  else
    trap.Step(kDisableFrame4, [&] { frame4_->setEnabled(false); });

  bool installed = true;
  trap.Step(kCheckInstalled, [&] { installed = CheckPowerPointInstalled(factory_, *this); });
  if (!installed) return false;

  if (trap.HoldsOrFails(kStartGdiPlus, [&] { return !imaging_.Start(); })) {
    trap.Step(kGdiFailedMessage, [&] { ShowPlainMessage(*this, "GDI+ Initialization Failed."); });
    trap.Step(kSetGdiStartFailed, [&] {
      gdiStartFailed_ = true;
      run_.SetGdiStartFailed(true);
    });
  }
  return true;
}

void Form1::RestoreOptions(ErrorTrap& trap) {
  // Restoring is no edit: the values go from the store into the controls
  // without being written back.
  const QSignalBlocker quietCombo(combo1_);
  const QSignalBlocker quietText(text3_);
  trap.Step(kRestoreCombo, [&] {
    combo1_->setCurrentIndex(
        ComboIndexFromText(SettingsStore::GetSetting(SettingsStore::kCombo, "0")));
  });
  trap.Step(kRestoreFolder, [&] {
    const std::string fallback = DefaultOutputFolder();
    text3_->setText(QString::fromStdString(SettingsStore::GetSetting(SettingsStore::kFolder, fallback)));
  });
  trap.Step(kRestoreOption1, [&] {
    SetOptionState(*option1_, TruthFromText(SettingsStore::GetSetting(SettingsStore::kOption1, "1")));
  });
  trap.Step(kRestoreOption2, [&] {
    SetOptionState(*option2_, TruthFromText(SettingsStore::GetSetting(SettingsStore::kOption2, "0")));
  });
}

void Form1::ApplySkin() {
  // Without the vendor's skin component only the system colours apply.
  if (!FileExists(DataFolder() + "x/o.cjs")) return;
  UseSystemColors(*this);
}

void Form1::QueryUnload() {
  ErrorTrap trap(*this, "Form1", "Form_QueryUnload");
  trap.Step(kStopGdiPlus, [&] { imaging_.Stop(); });
}

}  // namespace qm
