#pragma once
// The batch run's step lines, as its error report quotes them
// ("in Tessaly2021/08/31.Form1.PushButton2_Click at line N"), and the plain
// messages it shows. One table, like the exporters': the run, its display
// and the jobs that dispatch its tasks share it.

namespace qm {

/// The module and procedure the batch run's reports name. The jobs report a
/// file's failures under the same name, as the run that dispatched it.
inline constexpr const char* kBatchRunModule = "Form1";
inline constexpr const char* kBatchRunProcedure = "PushButton2_Click";

enum BatchRunLine : int {
  kCheckRunning = 100,
  kMarkRunning = 102,
  kCheckFiles = 104,
  kCheckFolder = 106,
  kCheckImaging = 108,
  kCheckRunningApplication = 110,
  kResetDirection = 112,
  kCheckXMode = 114,
  kAskX = 116,
  kCheckXNumeric = 118,
  kSayNotNumeric = 120,
  kAskXAgain = 122,
  kCheckAllMode = 124,
  kAskDirection = 126,
  kCountFiles = 128,
  kReadPath = 130,
  kShowProgress = 132,
  kShowCaption = 134,
  kYield = 136,
  kBusyPointer = 138,
  kCheckToFolder = 140,
  kFolderOfOption1 = 142,
  kCheckBeside = 144,
  kFolderOfSource = 146,
  kCheckEachMode = 148,
  kDispatchEach = 150,
  kDispatchAll = 154,
  kDispatchFirst = 158,
  kDispatchSecond = 162,
  kDispatchX = 166,
  kNextFile = 168,
  kDefaultPointer = 170,
  kResetProgress = 172,
  kResetCaption = 174,
  kSayDone = 176,
  kSayImagingFailed = 178,
  kSayNoFolder = 180,
  kSayNoFiles = 182,
  kEndRun = 184,
};

/// The run's plain messages, exactly as shown.
inline constexpr const char* kNoFilesMessage = "No files added.";
inline constexpr const char* kNoFolderMessage = "Folder does not exist. Please select another folder.";
inline constexpr const char* kImagingFailedMessage = "GDI+ Initialization Failed.";
inline constexpr const char* kNotNumericMessage = "Must be a numeric entry.";
inline constexpr const char* kDoneMessage = "Done.";
/// The progress bar's caption between runs.
inline constexpr const char* kIdleCaption = "Progress Bar";

}  // namespace qm
