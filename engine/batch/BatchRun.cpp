#include "engine/batch/BatchRun.h"

#include <cfenv>
#include <cmath>
#include <cstdlib>

#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "base/Paths.h"
#include "engine/adapter/PresentationChecks.h"
#include "engine/export/SaveModes.h"

namespace qm {

namespace {

bool ContainsIgnoringCase(const std::string& text, const std::string& part) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find(part) != std::string::npos;
}

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
  ErrorTrap trap(ui_, "Form1", "PushButton2_Click");
  if (runInProgress_) return;  // 100
  runInProgress_ = true;       // 102

  // Checks; each refusal goes straight to the end.
  const auto refuse = [&](int line, const char* message) {
    trap.Step(line, [&] { ShowPlainMessage(ui_, message); });
    runInProgress_ = false;  // 184
  };
  if (trap.HoldsOrFails(104, [&] { return options_.FileCount() == 0; }))
    return refuse(182, "No files added.");
  // Without either output choice there is nowhere sound to write.
  if (trap.HoldsOrFails(106, [&] {
        return !options_.SaveBesideSource() &&
               (!options_.SaveToFolder() || !FolderExists(options_.OutputFolderText()));
      }))
    return refuse(180, "Folder does not exist. Please select another folder.");
  if (trap.HoldsOrFails(108, [&] { return gdiStartFailed_; }))
    return refuse(178, "GDI+ Initialization Failed.");
  if (trap.HoldsOrFails(110, [&] { return WarnIfPowerPointOpen(factory_, ui_); })) {
    runInProgress_ = false;  // 184
    return;
  }

  trap.Step(112, [&] { exporters_.SetStitchDirection(1); });
  std::string x;
  if (trap.HoldsOrFails(114, [&] { return ContainsIgnoringCase(options_.ModeText(), "x slide"); })) {
    for (;;) {
      trap.Step(116, [&] { x = ui_.InputBox("Enter X: ", "Input X", ""); });
      if (trap.HoldsOrFails(118, [&] { return !IsNumeric(x); }))
        trap.Step(120, [&] { ShowPlainMessage(ui_, "Must be a numeric entry."); });
      if (!trap.HoldsOrFails(122, [&] { return !IsNumeric(x); })) break;
    }
  } else if (trap.HoldsOrFails(124, [&] { return options_.ModeText() == kModeAllSlides; })) {
    trap.Step(126, [&] { exporters_.SetStitchDirection(ui_.ChooseStitchDirection()); });
  }

  int count = 0;
  trap.Step(128, [&] { count = options_.FileCount(); });
  std::string outputFolder;
  for (int i = 1; i <= count; ++i) {
    // Rows removed during a yield: a position that no longer exists ends the
    // run's loop, so no file is converted twice.
    if (i > options_.FileCount()) break;
    std::string path;
    if (!trap.Step(130, [&] { path = options_.FileAt(i); })) break;
    trap.Step(132, [&] {
      const double value = static_cast<double>(i) / options_.FileCount() * 100.0;
      ui_.SetProgressValue(static_cast<int>(RoundHalfToEven(value)));
    });
    trap.Step(134, [&] { ui_.SetProgressText("Processing: " + FileNamePart(path)); });
    trap.Step(136, [&] { ui_.Yield(); });
    trap.Step(138, [&] { ui_.SetPointer(Pointer::Busy); });
    if (trap.HoldsOrFails(140, [&] { return options_.SaveToFolder(); })) {
      trap.Step(142, [&] { outputFolder = options_.OutputFolderText() + "/"; });
    } else if (trap.HoldsOrFails(144, [&] { return options_.SaveBesideSource(); })) {
      trap.Step(146, [&] { outputFolder = FolderPart(path) + "/"; });
    }
    std::string mode;
    trap.Step(148, [&] { mode = options_.ModeText(); });
    if (mode == kModeEachSlide) {
      trap.Step(150, [&] { exporters_.SaveEachSlideAsImage(path, outputFolder); });
    } else if (mode == kModeAllSlides) {
      trap.Step(154, [&] { exporters_.SaveAllSlidesAsOneImage(path, outputFolder); });
    } else if (mode == kModeFirstSlide) {
      trap.Step(158, [&] { exporters_.SaveXSlideAsImage(path, 1, outputFolder); });
    } else if (mode == kModeSecondSlide) {
      trap.Step(162, [&] { exporters_.SaveXSlideAsImage(path, 2, outputFolder); });
    } else if (mode == kModeXSlide) {
      trap.Step(166, [&] {
        exporters_.SaveXSlideAsImage(path, SlideNumberFromText(x), outputFolder);
      });
    }
  }

  trap.Step(170, [&] { ui_.SetPointer(Pointer::Default); });
  trap.Step(172, [&] { ui_.SetProgressValue(0); });
  trap.Step(174, [&] { ui_.SetProgressText("Progress Bar"); });
  trap.Step(176, [&] { ShowPlainMessage(ui_, "Done."); });
  runInProgress_ = false;  // 184
}

}  // namespace qm
