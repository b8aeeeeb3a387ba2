#include "engine/batch/BatchRun.h"

#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "base/Error.h"
#include "base/ErrorReport.h"
#include "base/ErrorTrap.h"
#include "base/Paths.h"
#include "engine/adapter/PresentationChecks.h"
#include "engine/batch/BatchRunLines.h"
#include "engine/batch/JobRunner.h"
#include "engine/batch/RunDisplay.h"
#include "engine/export/SaveModes.h"

namespace qm {

namespace {

/// Rounds half to even, whatever the current rounding mode.
double RoundHalfToEven(double value) {
  const int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double rounded = std::nearbyint(value);
  std::fesetround(saved);
  return rounded;
}

}  // namespace

bool IsNumeric(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  const auto last = text.find_last_not_of(" \t");
  const std::string core = text.substr(first, last - first + 1);
  // Digits, one optional point, optional exponent: no hex, no inf or nan.
  if (core.find_first_not_of("0123456789+-.eE") != std::string::npos) return false;
  char* end = nullptr;
  std::strtod(core.c_str(), &end);
  return end == core.c_str() + core.size() && core.find_first_of("0123456789") != std::string::npos;
}

short SlideNumberFromText(const std::string& text) {
  if (!IsNumeric(text)) throw Error("Type mismatch: \"" + text + "\" is not a number");
  const double rounded = RoundHalfToEven(std::strtod(text.c_str(), nullptr));
  if (!(rounded >= -32768.0 && rounded <= 32767.0))
    throw Error("Overflow: slide number " + text + " is out of range");
  return static_cast<short>(rounded);
}

void BatchRun::Start() {
  ErrorTrap trap(ui_, kBatchRunModule, kBatchRunProcedure);
  if (runInProgress_) return;  // kCheckRunning
  runInProgress_ = true;       // kMarkRunning

  // Checks; each refusal goes straight to the end.
  const auto refuse = [&](int line, const char* message) {
    trap.Step(line, [&] { ShowPlainMessage(ui_, message); });
    runInProgress_ = false;  // kEndRun
  };
  if (trap.HoldsOrFails(kCheckFiles, [&] { return options_.FileCount() == 0; }))
    return refuse(kSayNoFiles, kNoFilesMessage);
  // Without either output choice there is nowhere sound to write.
  if (trap.HoldsOrFails(kCheckFolder, [&] {
        return !options_.SaveBesideSource() &&
               (!options_.SaveToFolder() || !FolderExists(options_.OutputFolderText()));
      }))
    return refuse(kSayNoFolder, kNoFolderMessage);
  if (trap.HoldsOrFails(kCheckImaging, [&] { return gdiStartFailed_; }))
    return refuse(kSayImagingFailed, kImagingFailedMessage);
  if (trap.HoldsOrFails(kCheckRunningApplication, [&] { return WarnIfPowerPointOpen(factory_, ui_); })) {
    runInProgress_ = false;  // 184
    return;
  }

  trap.Step(kResetDirection, [&] { stitchDirection_ = 1; });
  std::string x;
  if (trap.HoldsOrFails(kCheckXMode, [&] { return options_.Mode() == SaveMode::kXSlide; })) {
    for (;;) {
      std::optional<std::string> answer;
      trap.Step(kAskX, [&] { answer = ui_.InputBox("Enter X: ", "Input X", ""); });
      // Given up, the question ends the run before it starts: asking again
      // would leave the person no way out but a number.
      if (!answer) {
        runInProgress_ = false;  // 184
        return;
      }
      x = *answer;
      if (trap.HoldsOrFails(kCheckXNumeric, [&] { return !IsNumeric(x); }))
        trap.Step(kSayNotNumeric, [&] { ShowPlainMessage(ui_, kNotNumericMessage); });
      if (!trap.HoldsOrFails(kAskXAgain, [&] { return !IsNumeric(x); })) break;
    }
  } else if (trap.HoldsOrFails(kCheckAllMode, [&] { return options_.Mode() == SaveMode::kAllSlides; })) {
    trap.Step(kAskDirection, [&] { stitchDirection_ = ui_.ChooseStitchDirection(); });
  }

  int count = 0;
  trap.Step(kCountFiles, [&] { count = options_.FileCount(); });
  std::string outputFolder;
  std::vector<FileTask> tasks;
  cancelRequested_ = cancelled_ = false;
  for (int i = 1; i <= count; ++i) {
    // Rows removed meanwhile: a position that no longer exists ends the
    // loop, so no file is converted twice.
    if (i > options_.FileCount()) break;
    std::string path;
    if (!trap.Step(kReadPath, [&] { path = options_.FileAt(i); })) break;
    // Jobs convert; progress follows what they report.
    tasks.push_back(ResolveTask(trap, i, path, x, outputFolder));
  }
  ConvertThroughJobs(trap, tasks);

  trap.Step(kDefaultPointer, [&] { ui_.SetPointer(Pointer::Default); });
  trap.Step(kResetProgress, [&] { ui_.SetProgressValue(0); });
  trap.Step(kResetCaption, [&] { ui_.SetProgressText(kIdleCaption); });
  trap.Step(kSayDone, [&] { ui_.RunEnded(kDoneMessage); });
  runInProgress_ = false;  // kEndRun
}

FileTask BatchRun::ResolveTask(ErrorTrap& trap, int position, const std::string& path,
                               const std::string& x, std::string& outputFolder) {
  FileTask task;
  task.position = position;
  task.path = path;
  if (trap.HoldsOrFails(kCheckToFolder, [&] { return options_.SaveToFolder(); })) {
    trap.Step(kFolderOfOption1, [&] { outputFolder = options_.OutputFolderText() + "/"; });
  } else if (trap.HoldsOrFails(kCheckBeside, [&] { return options_.SaveBesideSource(); })) {
    // A bare file name lies in the current folder: its empty folder part
    // stays empty rather than becoming the root.
    trap.Step(kFolderOfSource, [&] {
      const std::string folder = FolderPart(path);
      outputFolder = folder.empty() ? folder : folder + "/";
    });
  }
  task.outputFolder = outputFolder;
  task.direction = stitchDirection_;
  task.request = options_.Request();
  SaveMode mode = SaveMode::kNone;
  trap.Step(kCheckEachMode, [&] { mode = options_.Mode(); });
  if (mode == SaveMode::kEachSlide) {
    task.kind = ExportKind::kEachSlide;
    task.line = kDispatchEach;
  } else if (mode == SaveMode::kAllSlides) {
    task.kind = ExportKind::kAllSlides;
    task.line = kDispatchAll;
  } else if (mode == SaveMode::kFirstSlide) {
    task.kind = ExportKind::kOneSlide;
    task.slide = 1;
    task.line = kDispatchFirst;
  } else if (mode == SaveMode::kSecondSlide) {
    task.kind = ExportKind::kOneSlide;
    task.slide = 2;
    task.line = kDispatchSecond;
  } else if (mode == SaveMode::kXSlide) {
    task.line = kDispatchX;
    if (trap.Step(kDispatchX, [&] { task.slide = SlideNumberFromText(x); }))
      task.kind = ExportKind::kOneSlide;
  }
  return task;
}

std::string DescribeJobFailure(const FileTask* stopped, int slide,
                               const std::vector<FileTask>& unconverted,
                               const std::string& description) {
  std::string text;
  if (stopped != nullptr) {
    text = stopped->path + ": " + description;
    if (slide > 0) text += " at slide " + std::to_string(slide);
    text += "; the file was not converted";
  } else {
    text = "Files were not converted: " + description;
  }
  if (!unconverted.empty()) {
    text += ". Not converted either:";
    for (const FileTask& task : unconverted) text += " " + task.path + ";";
    text.pop_back();
  }
  return text + ".";
}

void BatchRun::ConvertThroughJobs(ErrorTrap& trap, const std::vector<FileTask>& tasks) {
  trap.Step(kBusyPointer, [&] { ui_.SetPointer(Pointer::Busy); });
  std::vector<FileTask> work;
  for (const FileTask& task : tasks)
    if (task.kind != ExportKind::kNone) work.push_back(task);
  RunDisplay display(ui_, trap, observer_, cancelRequested_, work);
  std::optional<JobRunner> own;
  JobRunner& runner = runner_ != nullptr ? *runner_ : own.emplace(DefaultJobPath(), DefaultJobCount());
  cancelled_ = runner.Run(work, display) == JobRunner::Outcome::kCancelled;
  display.ShowAllHeld();
}

}  // namespace qm
