// Every slide of one presentation as a picture of its own.

#include <string>

#include "base/ErrorTrap.h"
#include "base/Paths.h"
#include "engine/export/Powerpoint1.h"
#include "engine/export/SlidePng.h"
#include "engine/export/SlideSession.h"

namespace qm {

namespace {

/// SaveEachSlideAsImage's step lines, as its error report quotes them.
enum Line : int {
  kBaseName = 100,
  kCreateApplication = 118,
  kMakeVisible = 120,
  kOpenPresentation = 122,
  kCountSlides = 124,
  kExportSlide = 128,
  kBitmapExists = 130,
  kLoadBitmap = 132,
  kWritePng = 134,
  kDeleteBitmap = 136,
  kClosePresentation = 140,
  kQuitApplication = 142,
};

constexpr SessionLines kSessionLines{kCreateApplication, kMakeVisible,  kOpenPresentation,
                                     kExportSlide,       kBitmapExists, kLoadBitmap,
                                     kWritePng,          kDeleteBitmap, kClosePresentation,
                                     kQuitApplication};

}  // namespace

void Powerpoint1::SaveEachSlideAsImage(const std::string& sourcePath,
                                       const std::string& outputFolder) {
  ErrorTrap trap(ui_, "Powerpoint1", "SaveEachSlideAsImage");
  std::string base;
  trap.Step(kBaseName, [&] { base = OutputBaseName(sourcePath); });

  SlideSession session(factory_, trap, kSessionLines, cancel_);
  session.Open(sourcePath);
  session.UseRequest(request_);
  short count = 0;
  int digits = 0;  // of the deck's slide count, when numbers are padded
  const auto exportSlide = [&](short i) {
    const std::string pngPath = SlidePngPath(outputFolder, base, i, digits, request_.Extension());
    NoteSlide(i, count);
    session.ExportSlide(i, outputFolder, creator_, [&](const Bitmap& picture) {
      WriteSlideImage(picture, pngPath, request_);
      written_.push_back(pngPath);
    });
  };
  if (trap.Step(kCountSlides, [&] {
        slideCount_ = session.Count();
        count = static_cast<short>(slideCount_);
      })) {
    if (request_.padNumbers) digits = static_cast<int>(std::to_string(count).size());
    std::vector<short> slides;
    for (short i = 1; i <= count; ++i)
      if (request_.Wants(i) && !(request_.skipHidden && session.IsHidden(i))) slides.push_back(i);
    std::vector<std::string> wanted;
    for (const short i : slides) wanted.push_back(SlidePngPath(outputFolder, base, i, digits, request_.Extension()));
    if (SkipAsUpToDate(wanted, sourcePath)) {
      session.Close();
      return;
    }
    // Only the slides asked for; a slide asked for that the deck lacks is
    // not written, as in the single-slide modes.
    for (const short i : slides) exportSlide(i);
  } else {
    // A loop whose bound cannot be read still runs its body once, with a
    // counter that names no slide: that export fails and is reported.
    exportSlide(0);
  }
  session.Close();
}

}  // namespace qm
