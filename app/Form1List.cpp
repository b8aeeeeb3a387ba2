// The file list's commands on the main window: the Delete key, double-click
// and dropped files on the list, "Clear List", "Add PowerPoint Files", "Add All
// PowerPoint Files In Folder" and "Load Sample/Example Files".

#include <QProcess>
#include <QFileDialog>
#include <QPushButton>
#include <utility>

#include "app/BrowseForFolder.h"
#include "app/FileListView.h"
#include "app/Form1.h"
#include "app/SettingsStore.h"
#include "base/ApplicationTitle.h"
#include "base/ErrorTrap.h"
#include "filelist/ChosenFiles.h"
#include "filelist/FolderImport.h"
#include "filelist/SampleFiles.h"

namespace qm {

namespace {

/// PushButton1_Click's step lines.
enum AddFilesLine : int {
  kShowFileDialog = 100,
  kSelectionFits = 102,
  kTooManyMessage = 104,
  kAddChosenFiles = 106,
};

/// PushButton5_Click's step lines; the import itself reports 120 to 124.
enum AddAllLine : int {
  kAskExtension = 100,
  kStoreExtension = 102,
  kBrowseFolder = 104,
  kStoreLastFolder = 106,
  kMarkBusy = 108,
};

/// PushButton8_Click's single line.
enum SamplesLine : int {
  kLoadSampleFiles = 100,
};

constexpr const char* kFileDialogTitle = "Add File(s) - Hold Ctrl to select multiple files";
constexpr const char* kFileDialogFilter = "PowerPoint Files (*.ppt*)";
constexpr const char* kTooManyFiles =
    "You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button.";
constexpr const char* kExtensionPrompt =
    "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc "
    "files, etc.)";
constexpr const char* kDefaultExtension = "ppt*";
constexpr const char* kFolderBrowserTitle = "Please select folder:";
constexpr const char* kOpenSamplesQuestion =
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?";

}  // namespace

void Form1::ConnectListCommands() {
  connect(listView1_, &FileListView::SelectionChanged, this,
          [this](std::optional<int> position) { files_.Select(position); });
  connect(listView1_, &FileListView::DeletePressed, this, &Form1::ListView1DeleteKey);
  connect(listView1_, &FileListView::DoubleClicked, this, &Form1::ListView1DoubleClick);
  connect(listView1_, &FileListView::FilesDropped, this, &Form1::ListView1OLEDragDrop);
  connect(pushButton7_, &QPushButton::clicked, this, &Form1::PushButton7Click);
  connect(pushButton1_, &QPushButton::clicked, this, &Form1::PushButton1Click);
  connect(pushButton5_, &QPushButton::clicked, this, &Form1::PushButton5Click);
  connect(pushButton8_, &QPushButton::clicked, this, &Form1::PushButton8Click);
}

void Form1::ListView1DeleteKey() {
  const int before = files_.FileCount();
  files_.OnDeleteKey(*this);
  ForgetDraggedRowIfRemoved(before);
  listView1_->ShowRows(files_);
}

void Form1::ListView1DoubleClick(std::optional<int> position) {
  const int before = files_.FileCount();
  files_.OnDoubleClick(*this, position);
  ForgetDraggedRowIfRemoved(before);
  listView1_->ShowRows(files_);
}

void Form1::ForgetDraggedRowIfRemoved(int countBefore) {
  // Rows are known by position: after a removal the dragged row's position
  // holds another path, or none.
  if (files_.FileCount() < countBefore) rowDrag_.Forget();
}

void Form1::ListView1OLEDragDrop(const std::vector<std::string>& paths) {
  // The gathering runs after the drop event has returned, so the program the
  // files came from is not held up while a big folder is searched.
  pendingDrops_.push_back(paths);
  QMetaObject::invokeMethod(this, &Form1::GatherPendingDrops, Qt::QueuedConnection);
}

void Form1::GatherPendingDrops() {
  // A drop that arrives while another is searched waits for it, so that
  // each drop's rows stay together and in its order.
  if (gatheringDrops_) return;
  gatheringDrops_ = true;
  while (!pendingDrops_.empty()) {
    const std::vector<std::string> paths = std::move(pendingDrops_.front());
    pendingDrops_.pop_front();
    AddDroppedFiles(paths);  // reports its own failures
  }
  gatheringDrops_ = false;
}

void Form1::PushButton7Click() {
  const int before = files_.FileCount();
  files_.OnClearList(*this);
  ForgetDraggedRowIfRemoved(before);
  listView1_->ShowRows(files_);
}

void Form1::PushButton1Click() {
  ErrorTrap trap(*this, "Form1", "PushButton1_Click");
  std::vector<std::string> chosen;
  trap.Step(kShowFileDialog, [&] {
    QFileDialog dialog(this, kFileDialogTitle);
    dialog.setObjectName("AddFiles");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(kFileDialogFilter);
    if (dialog.exec() != QDialog::Accepted) return;
    for (const QString& path : dialog.selectedFiles()) chosen.push_back(path.toStdString());
  });
  if (chosen.empty()) return;  // cancelled
  if (!trap.HoldsOrFails(kSelectionFits, [&] { return SelectionFits(chosen); })) {
    trap.Step(kTooManyMessage, [&] { ShowPlainMessage(*this, kTooManyFiles); });
    return;
  }
  trap.Step(kAddChosenFiles, [&] {
    for (const std::string& row : ChosenFileRows(chosen)) files_.AddFileToList(row);
  });
  listView1_->ShowRows(files_);
}

void Form1::PushButton5Click() {
  ErrorTrap trap(*this, "Form1", "PushButton5_Click");
  std::string extension;
  trap.Step(kAskExtension, [&] {
    extension = InputBox(kExtensionPrompt, ApplicationTitle(),
                         SettingsStore::GetSetting(SettingsStore::kExtension, kDefaultExtension))
                    .value_or("");
  });
  if (extension.empty()) return;  // nothing typed, or cancelled
  trap.Step(kStoreExtension,
            [&] { SettingsStore::SaveSetting(SettingsStore::kExtension, extension); });
  std::string folder;
  trap.Step(kBrowseFolder, [&] {
    folder = BrowseForFolder(this, kFolderBrowserTitle,
                             SettingsStore::GetSetting(SettingsStore::kLastFolder, ""));
  });
  if (folder.empty()) return;
  trap.Step(kStoreLastFolder, [&] { SettingsStore::SaveSetting(SettingsStore::kLastFolder, folder); });
  trap.Step(kMarkBusy, [&] { SetPointer(Pointer::Busy); });
  // Reports its own failures and restores the default pointer at its end.
  ImportFolder(files_, *this, folder, ImportSearchPattern(extension));
  listView1_->ShowRows(files_);
}

void Form1::PushButton8Click() {
  ErrorTrap trap(*this, "Form1", "PushButton8_Click");
  trap.Step(kLoadSampleFiles, [&] { LoadSampleFiles(); });
  // Rows added before a failure stay.
  listView1_->ShowRows(files_);
}

void Form1::LoadSampleFiles() {
  const std::string folder = SamplesFolder();
  AddSampleFiles(files_, folder);
  listView1_->ShowRows(files_);
  if (ShowPlainMessage(*this, kOpenSamplesQuestion, MessageButtons::YesNo) == MessageAnswer::Yes)
    ShowFolderInFileManager(folder);
}

void Form1::ShowFolderInFileManager(const std::string& folder) {
  // xdg-open starts the desktop's file manager and ends; it fails when
  // there is none, which would otherwise leave the Yes without a trace.
  auto* opener = new QProcess(this);
  const auto sayNone = [this, opener, folder] {
    // The box waits in an event loop of its own; the process (and with it
    // this very function's captures) may go only once it is answered.
    const std::string text =
        "No file manager could be started to show " + folder + ". The sample files are in that folder.";
    opener->disconnect(this);
    ShowPlainMessage(*this, text);
    opener->deleteLater();
  };
  connect(opener, &QProcess::errorOccurred, this, [sayNone](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) sayNone();  // no finished follows
  });
  connect(opener, &QProcess::finished, this,
          [opener, sayNone](int code, QProcess::ExitStatus status) {
            if (status == QProcess::NormalExit && code == 0) {
              opener->deleteLater();
              return;
            }
            sayNone();
          });
  opener->start("xdg-open", {QString::fromStdString(folder + "/")});
}

}  // namespace qm
