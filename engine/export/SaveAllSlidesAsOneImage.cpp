// All slides of one presentation joined into one picture.

#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "base/Paths.h"
#include "engine/export/Powerpoint1.h"
#include "imaging/writers/SaveAsJpg.h"
#include "engine/export/SlideSession.h"

namespace qm {

namespace {

/// SaveAllSlidesAsOneImage's step lines, as its error report quotes them.
enum Line : int {
  kBaseName = 100,
  kCreateApplication = 118,
  kMakeVisible = 120,
  kOpenPresentation = 122,
  kListSlides = 124,
  kCountSlides = 126,
  kExportSlide = 128,
  kBitmapExists = 130,
  kLoadBitmap = 132,
  kWriteJpeg = 134,
  kDeleteBitmap = 136,
  kSetListEntry = 138,
  kClosePresentation = 142,
  kQuitApplication = 144,
};

constexpr SessionLines kSessionLines{kCreateApplication, kMakeVisible,  kOpenPresentation,
                                     kExportSlide,       kBitmapExists, kLoadBitmap,
                                     kWriteJpeg,         kDeleteBitmap, kClosePresentation,
                                     kQuitApplication};

}  // namespace

void Powerpoint1::SaveAllSlidesAsOneImage(const std::string& sourcePath,
                                          const std::string& outputFolder) {
  ErrorTrap trap(ui_, "Powerpoint1", "SaveAllSlidesAsOneImage");
  std::string base;
  trap.Step(kBaseName, [&] { base = OutputBaseName(sourcePath); });
  const std::string outputPath = CollapseSeparators(outputFolder + base + ".png");
  if (SkipAsUpToDate({outputPath}, sourcePath)) return;

  SlideSession session(factory_, trap, kSessionLines, cancel_);
  OpenSession(session, sourcePath);

  // Every temporary JPEG written is in this list (or, when the list could not
  // take it, among the strays), so none is ever left behind.
  std::vector<std::string> jpegList;
  std::vector<std::string> strays;
  trap.Step(kListSlides, [&] {
    const std::int32_t count = session.Count();
    if (count < 1) throw Error(sourcePath + " has no slides");
    jpegList.resize(static_cast<std::size_t>(count));
  });

  short count = 0;
  const auto exportSlide = [&](short i) {
    const std::string jpegPath = TemporaryPathIn(outputFolder, ".jpg");
    NoteSlide(i, count);
    session.ExportSlide(i, outputFolder, creator_, [&](const Bitmap& picture) {
      SaveBitmapAsJpeg(&picture, jpegPath, 100);
      WriteSlideNotes(trap, kSetListEntry, outputFolder, base, i, 0);
    });
    // A list that could not be made has no entry to set: that is reported,
    // and the picture, if one was written, is deleted below.
    if (!trap.Step(kSetListEntry, [&] {
          if (i < 1 || static_cast<std::size_t>(i) > jpegList.size())
            throw Error("Subscript out of range: the list of slide pictures has no entry " +
                        std::to_string(i));
          jpegList[static_cast<std::size_t>(i) - 1] = jpegPath;
        }))
      strays.push_back(jpegPath);
  };
  if (trap.Step(kCountSlides, [&] {
        slideCount_ = session.Count();
        count = static_cast<short>(slideCount_);
      })) {
    for (short i = 1; i <= count; ++i) exportSlide(i);
  } else {
    exportSlide(0);  // a loop whose bound cannot be read runs its body once
  }
  session.Close();
  for (const std::string& stray : strays)
    if (FileExists(stray)) DeleteFileForce(ui_, stray);

  if (stitchDirection_ == 1)
    CombineImages(outputPath, true, jpegList);
  else
    CombineImages(outputPath, false, jpegList);
}

}  // namespace qm
