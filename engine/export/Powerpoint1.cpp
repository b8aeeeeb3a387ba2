// One slide of one presentation as its own picture.

#include "engine/export/Powerpoint1.h"

#include <sys/stat.h>

#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "base/Paths.h"
#include "imaging/codecs/AtomicFile.h"
#include "engine/export/SlidePng.h"
#include "engine/export/SlideSession.h"

namespace qm {

namespace {

/// SaveXSlideAsImage's step lines, as its error report quotes them.
enum Line : int {
  kBaseName = 100,
  kCreateApplication = 118,
  kMakeVisible = 120,
  kOpenPresentation = 122,
  kSlideInDeck = 124,
  kExportSlide = 126,
  kBitmapExists = 128,
  kLoadBitmap = 130,
  kWritePng = 132,
  kDeleteBitmap = 134,
  kClosePresentation = 136,
  kQuitApplication = 138,
};

constexpr SessionLines kSessionLines{kCreateApplication, kMakeVisible,  kOpenPresentation,
                                     kExportSlide,       kBitmapExists, kLoadBitmap,
                                     kWritePng,          kDeleteBitmap, kClosePresentation,
                                     kQuitApplication};

}  // namespace

void Powerpoint1::SaveXSlideAsImage(const std::string& sourcePath, short n,
                                    const std::string& outputFolder) {
  ErrorTrap trap(ui_, "Powerpoint1", "SaveXSlideAsImage");
  std::string base;
  trap.Step(kBaseName, [&] { base = OutputBaseName(sourcePath); });
  const std::string pngPath = SlidePngPath(outputFolder, base, n, 0, request_.Extension());
  if (SkipAsUpToDate({pngPath}, sourcePath)) return;

  SlideSession session(factory_, trap, kSessionLines, cancel_);
  OpenSession(session, sourcePath);
  if (trap.HoldsOrFails(kSlideInDeck, [&] {
        slideCount_ = session.Count();
        return slideCount_ >= n;
      })) {
    NoteSlide(n, 1);
    session.ExportSlide(n, outputFolder, creator_, [&](const Bitmap& picture) {
      WriteSlideImage(picture, pngPath, request_);
      written_.push_back(pngPath);
      WriteSlideNotes(trap, kWritePng, outputFolder, base, n, 0);
    });
  }
  session.Close();
}

void Powerpoint1::NoteSlide(int slide, int count) {
  if (Cancelled()) return;
  SlideFacts facts;
  facts.number = slide;
  if (slide >= 1 && static_cast<std::size_t>(slide) <= deckFacts_.slides.size())
    facts = deckFacts_.slides[static_cast<std::size_t>(slide) - 1];
  drawnFacts_.slides.push_back(std::move(facts));
  if (slideStarted_) slideStarted_(slide, count);
}

void Powerpoint1::OpenSession(SlideSession& session, const std::string& sourcePath) {
  session.Open(sourcePath);
  deckFacts_ = session.Facts();
  drawnFacts_ = DeckFacts();
  drawnFacts_.fontsMissing = deckFacts_.fontsMissing;
  session.UseRequest(request_);
}

void Powerpoint1::WriteSlideNotes(ErrorTrap& trap, int line, const std::string& outputFolder,
                                  const std::string& base, int n, int digits) {
  if (!request_.notes || drawnFacts_.slides.empty() || drawnFacts_.slides.back().number != n) return;
  SlideFacts& slide = drawnFacts_.slides.back();
  const std::string path = SlidePngPath(outputFolder, base, n, digits, ".txt");
  trap.Step(line, [&] {
    const Status status = AtomicFile::WriteWhole(path, slide.notes.data(), slide.notes.size());
    if (!status.Ok()) throw Error(status.Message());
    slide.notesFile = path;
  });
}

DeckFacts Powerpoint1::TakeFacts() {
  DeckFacts facts;
  facts.slides.swap(drawnFacts_.slides);
  facts.fontsMissing.swap(drawnFacts_.fontsMissing);
  facts.leftOut.swap(drawnFacts_.leftOut);
  deckFacts_ = DeckFacts();
  return facts;
}

bool Powerpoint1::SkipAsUpToDate(const std::vector<std::string>& images,
                                 const std::string& sourcePath) {
  if (!request_.skipExisting || images.empty()) return false;
  struct stat source {};
  if (::stat(sourcePath.c_str(), &source) != 0) return false;
  for (const std::string& image : images) {
    struct stat written {};
    if (::stat(image.c_str(), &written) != 0 || !S_ISREG(written.st_mode)) return false;
    const bool newer = written.st_mtim.tv_sec != source.st_mtim.tv_sec
                           ? written.st_mtim.tv_sec > source.st_mtim.tv_sec
                           : written.st_mtim.tv_nsec > source.st_mtim.tv_nsec;
    if (!newer) return false;
  }
  skipped_ = true;
  return true;
}

std::vector<std::string> Powerpoint1::TakeWritten() {
  std::vector<std::string> written;
  written.swap(written_);
  slideCount_ = -1;
  return written;
}

}  // namespace qm
