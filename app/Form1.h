#pragma once
// The main window: the file list, the save options, the start button and the
// progress bar. It is the batch run's front end (its Ui and RunOptions) and
// holds no conversion logic of its own: a run goes through BatchRun and the
// same parallel jobs as quillmere-batch.

#include <QCursor>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "base/Ui.h"
#include "engine/adapter/ApplicationFactory.h"
#include "engine/batch/BatchRun.h"
#include "engine/batch/JobRunner.h"
#include "engine/batch/RunOptions.h"
#include "filelist/FileList.h"
#include "filelist/RowDrag.h"
#include "imaging/writers/GdiPlusSession.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qm {

class CaptionBar;
class FileListView;

class Form1 : public QWidget, public Ui, public RunOptions {
  Q_OBJECT

 public:
  /// `factory` (not owned, outlives the window) answers the installed and
  /// running checks; conversions run in `jobs` job processes of `jobPath`.
  Form1(ApplicationFactory& factory, std::string jobPath, int jobs);
  ~Form1() override;

  /// Start-up (Form_Load): the numbered steps, each failure reported and the
  /// next step run. Returns false when no presentation application can be
  /// created: the message was shown and the program must end at once,
  /// without showing the window.
  bool Load();

  /// Adds `paths` to the list as a drop of them would (folders expanded),
  /// in their order, and shows the rows. Does not mark the window busy: the
  /// list's commands stay active while a dropped folder is searched.
  void AddDroppedFiles(const std::vector<std::string>& paths);

  /// The file list the window shows.
  const FileList& Files() const { return files_; }

  /// True while a batch run is under way.
  bool RunInProgress() const { return run_.RunInProgress(); }

  // Ui: the window's message boxes, input box, Image Option dialog, progress
  // bar and pointer.
  MessageAnswer Message(const std::string& text, MessageButtons buttons, MessageIcon icon,
                        const std::string& title) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override;
  short ChooseStitchDirection() override;
  void SetProgressValue(int value) override;
  void SetProgressText(const std::string& text) override;
  void SetPointer(Pointer pointer) override;
  Pointer CurrentPointer() const override { return pointer_; }
  /// Handles the window's pending input and paints: the run calls it at least
  /// every 100 ms while it waits for its jobs.
  void Yield() override;

  // RunOptions: read from the controls at the moment the run asks.
  int FileCount() override { return files_.FileCount(); }
  std::string FileAt(int position) override { return files_.FileAt(position); }
  /// The selector's entry as a mode: the window's texts are the modes' own.
  SaveMode Mode() override;
  bool SaveToFolder() override;
  std::string OutputFolderText() override;
  bool SaveBesideSource() override;
  /// The image settings as last chosen in their dialog (ImageSettings).
  ConversionRequest Request() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  /// Makes the window: its frame and font, then the pieces below.
  void BuildControls();
  /// Creates every control at its place and size, with its name and text.
  void PlaceControls();
  /// The order Tab moves through the controls.
  void OrderTabs();
  /// Watches the pointer over the buttons and the plain surfaces, for the
  /// hand pointer (eventFilter).
  void TrackPointer();
  /// Connects the controls to what they do.
  void ConnectControls();
  void ApplySkin();
  void RestoreOptions(class ErrorTrap& trap);
  void QueryUnload();

  // Reactions of the output options.
  void Combo1Changed(int index);
  void Text3Changed(const QString& text);
  void OptionClicked();
  void ApplyFrame4Rule();
  void BrowseOutputFolder();
  /// Shows the image settings dialog and stores what OK gives.
  void ImageSettingsClick();
  void SetHandPointer();
  void ResetPointer();

  void PushButton2Click();
  /// Gives a message box its object name, texts, icon and a width that
  /// fits its title.
  void SetUpBox(QMessageBox& box, const std::string& text, MessageIcon icon,
                const std::string& title);
  /// Takes `box` off the queue of reports when it is there (a box may say
  /// it finished more than once) and, when it was the one shown, shows the
  /// next.
  void ReportFinished(QMessageBox* box);
  /// Places `box` in the middle of the screen when the window is not shown
  /// yet; over a shown window Qt places it.
  void CentreWhileHidden(QWidget& box) const;
  /// Shows the next queued report, if any and none is shown.
  void ShowNextReport();
  /// Closes and forgets every queued report, unread.
  void DropReports();
  /// Returns once every queued report has been closed.
  void WaitForReports();
  /// The settings file's AllowLinks, read when a run starts; false unless "True".
  static bool LinksAllowed();

  // The file list's commands.
  void ConnectListCommands();
  void ListView1DeleteKey();
  void ListView1DoubleClick(std::optional<int> position);
  void ListView1OLEDragDrop(const std::vector<std::string>& paths);
  void GatherPendingDrops();
  void PushButton7Click();
  void PushButton1Click();
  void PushButton5Click();
  void PushButton8Click();
  void LoadSampleFiles();
  /// Asks the desktop's file manager to show `folder`; says so in a box
  /// when none can.
  void ShowFolderInFileManager(const std::string& folder);
  void ForgetDraggedRowIfRemoved(int countBefore);

  // Reordering the list by dragging a row.
  void ConnectRowDrag();
  void ListView1MouseDown(std::optional<int> selectedRow);
  void ListView1MouseMove(std::optional<int> row, bool buttonHeld);
  void ListView1MouseUp();

  ApplicationFactory& factory_;
  FileList files_;
  JobRunner runner_;
  BatchRun run_;
  bool gdiStartFailed_ = false;
  /// The imaging library, started at load and stopped at unload.
  GdiPlusSession imaging_;
  bool closeAfterRun_ = false;
  /// Reports of the run under way, shown one at a time without blocking it;
  /// the front one is open.
  std::deque<QPointer<QMessageBox>> reports_;
  /// The button an Enter went down on; it is pressed when the key comes up.
  QPointer<QPushButton> enterPressedOn_;
  Pointer pointer_ = Pointer::Default;
  std::optional<QCursor> hand_;
  QCursor dragPointer_;
  RowDrag rowDrag_;
  // Drops not yet gathered, oldest first, and whether one is being gathered
  // now (its folder search yields, so another drop can arrive meanwhile).
  std::deque<std::vector<std::string>> pendingDrops_;
  bool gatheringDrops_ = false;

  FileListView* listView1_;
  QPushButton* pushButton1_;
  QPushButton* pushButton5_;
  QPushButton* pushButton7_;
  QPushButton* pushButton8_;
  QGroupBox* frame2_;
  QComboBox* combo1_;
  QGroupBox* frame3_;
  QRadioButton* option1_;
  QGroupBox* frame4_;
  QLineEdit* text3_;
  QPushButton* pushButton4_;
  QPushButton* imageSettingsButton_;
  QRadioButton* option2_;
  QPushButton* pushButton2_;
  CaptionBar* progressBar1_;
};

}  // namespace qm
