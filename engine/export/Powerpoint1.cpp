#include "engine/export/Powerpoint1.h"

#include "base/Cancellation.h"
#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "base/Paths.h"
#include "imaging/writers/SaveAsAny.h"
#include "engine/export/SlideSession.h"

namespace qm {

namespace {

/// `<outputFolder><base>_Slide<n>.png`, separators collapsed.
std::string SlidePngPath(const std::string& outputFolder, const std::string& base, int n) {
  return CollapseSeparators(outputFolder + base + "_Slide" + std::to_string(n) + ".png");
}

/// The PNG writer, with a failure reported instead of a file gone missing.
void WritePng(const Bitmap& picture, const std::string& pngPath) {
  if (!SaveBitmapByMime(&picture, pngPath, "image/png"))
    throw Error("Cannot write the image " + pngPath);
}

}  // namespace

void Powerpoint1::SaveXSlideAsImage(const std::string& sourcePath, short n,
                                    const std::string& outputFolder) {
  ErrorTrap trap(ui_, "Powerpoint1", "SaveXSlideAsImage");
  std::string base;
  trap.Step(100, [&] { base = OutputBaseName(sourcePath); });
  const std::string pngPath = SlidePngPath(outputFolder, base, n);

  SlideSession session(factory_, trap);
  session.Open(sourcePath);
  if (trap.HoldsOrFails(124, [&] { return session.Count() >= n; })) {
    NoteSlide(n, 1);
    session.ExportSlide(n, outputFolder, 126, creator_, [&](const Bitmap& picture) {
      WritePng(picture, pngPath);
      written_.push_back(pngPath);
    });
  }
  session.Close(136);
}

void Powerpoint1::SaveEachSlideAsImage(const std::string& sourcePath,
                                       const std::string& outputFolder) {
  ErrorTrap trap(ui_, "Powerpoint1", "SaveEachSlideAsImage");
  std::string base;
  trap.Step(100, [&] { base = OutputBaseName(sourcePath); });

  SlideSession session(factory_, trap);
  session.Open(sourcePath);
  short count = 0;
  const auto exportSlide = [&](short i) {
    const std::string pngPath = SlidePngPath(outputFolder, base, i);
    NoteSlide(i, count);
    session.ExportSlide(i, outputFolder, 128, creator_, [&](const Bitmap& picture) {
      WritePng(picture, pngPath);
      written_.push_back(pngPath);
    });
  };
  if (trap.Step(124, [&] { count = static_cast<short>(session.Count()); })) {
    for (short i = 1; i <= count; ++i) exportSlide(i);
  } else {
    // A loop whose bound cannot be read still runs its body once, with a
    // counter that names no slide: that export fails and is reported.
    exportSlide(0);
  }
  session.Close(140);
}

void Powerpoint1::NoteSlide(int slide, int count) {
  if (slideStarted_ && !CancelRequested()) slideStarted_(slide, count);
}

std::vector<std::string> Powerpoint1::TakeWritten() {
  std::vector<std::string> written;
  written.swap(written_);
  return written;
}

}  // namespace qm
