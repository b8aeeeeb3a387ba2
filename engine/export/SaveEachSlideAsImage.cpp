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
  OpenSession(session, sourcePath);
  short count = 0;
  int digits = 0;  // of the deck's slide count, when numbers are padded
  // The click states slide `i` is written as: none but the whole slide, or
  // with the request's steps, one image per state where its animations
  // take clicks.
  const auto statesOf = [&](short i) {
    std::vector<int> states{-1};
    if (!request_.steps || i < 1 || static_cast<std::size_t>(i) > deckFacts_.slides.size()) return states;
    const int clicks = deckFacts_.slides[static_cast<std::size_t>(i) - 1].clicks;
    if (clicks > 0) states.clear();
    for (int step = 0; clicks > 0 && step <= clicks; ++step) states.push_back(step);
    return states;
  };
  // Where the renderer cannot draw a slide's click states, the whole slide
  // is written as without them, and the record says why.
  const auto drawnStatesOf = [&](short i) {
    std::vector<int> states = statesOf(i);
    std::string why;
    if (states.front() != 0 || Cancelled()) return states;
    if (!session.DrawsClickStates(i, &why)) {
      drawnFacts_.leftOut.push_back("slide " + std::to_string(i) + "'s click states were not drawn (" + why +
                                    "): the whole slide was written");
      states = {-1};
    } else if (!why.empty()) {
      drawnFacts_.leftOut.push_back("slide " + std::to_string(i) + "'s click states: " + why);
    }
    return states;
  };
  const auto imagePath = [&](short i, int step) {
    const std::string ending =
        (step < 0 ? std::string() : "_Step" + std::to_string(step)) + request_.Extension();
    return SlidePngPath(outputFolder, base, i, digits, ending.c_str());
  };
  const auto exportSlide = [&](short i) {
    NoteSlide(i, count);
    for (const int step : drawnStatesOf(i)) {
      const std::string pngPath = imagePath(i, step);
      session.UseStep(step);
      session.ExportSlide(i, outputFolder, creator_, [&](const Bitmap& picture) {
        WriteSlideImage(picture, pngPath, request_);
        written_.push_back(pngPath);
      });
    }
    session.UseStep(-1);
    WriteSlideNotes(trap, kWritePng, outputFolder, base, i, digits);
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
    for (const short i : slides)
      for (const int step : statesOf(i)) wanted.push_back(imagePath(i, step));
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
