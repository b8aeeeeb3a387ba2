#pragma once
// The exporters: one slide, every slide, or all slides stitched into one
// image, for one presentation file at a time. Each reports its own failures
// through the standard error report and always returns normally.

#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "engine/adapter/ApplicationFactory.h"
#include "base/CancelToken.h"
#include "engine/export/ConversionRequest.h"
#include "imaging/stitch/PlacedPicture.h"
#include "imaging/Bitmap.h"
#include "base/Ui.h"

namespace qm {

class ErrorTrap;
class SlideSession;

class Powerpoint1 {
 public:
  /// Renders through `factory` and reports through `ui`; both outlive this object.
  Powerpoint1(ApplicationFactory& factory, Ui& ui) : factory_(factory), ui_(ui) {}

  /// Writes slide `n` of `sourcePath` as `<outputFolder><base>_Slide<n>.png`.
  /// A slide number past the end writes nothing and says nothing.
  void SaveXSlideAsImage(const std::string& sourcePath, short n, const std::string& outputFolder);

  /// Writes every slide as `<outputFolder><base>_Slide<i>.png`, i from 1.
  void SaveEachSlideAsImage(const std::string& sourcePath, const std::string& outputFolder);

  /// Writes all slides joined into `<outputFolder><base>.png`, top to bottom
  /// when StitchDirection() is 1, otherwise left to right. Each slide passes
  /// through a temporary JPEG of quality 100.
  void SaveAllSlidesAsOneImage(const std::string& sourcePath, const std::string& outputFolder);

  /// Joins the pictures of `jpegList` in order into the PNG `outputPath` and
  /// deletes each listed file. Pictures are top-aligned left to right, or
  /// left-aligned top to bottom with a 3-pixel strip (50 twips) below; the
  /// rest is background white. A picture that cannot be read is reported and
  /// left out. Rows are streamed, so memory does not grow with the result,
  /// and at most one picture file is open at a time, however many there are.
  /// When the cancel token was requested, no image is written; the pictures
  /// are deleted.
  void CombineImages(const std::string& outputPath, bool vertical,
                     const std::vector<std::string>& jpegList);

  /// 1 = top to bottom; any other value left to right.
  short StitchDirection() const { return stitchDirection_; }
  void SetStitchDirection(short direction) { stitchDirection_ = direction; }

  /// What the next exports ask beyond the mode: the slides the each-slide
  /// mode writes, and how slide numbers are written in names.
  void SetRequest(const ConversionRequest& request) { request_ = request; }

  /// The token whose request stops the exports at the next slide (and
  /// keeps a joined image from being written); none by default.
  void SetCancelToken(const CancelToken* token) { cancel_ = token; }

  /// Called before each slide is rendered with its number and the deck's
  /// slide count (0 when unknown), so a front end can show progress.
  void SetSlideObserver(std::function<void(int slide, int count)> observer) {
    slideStarted_ = std::move(observer);
  }

  /// The images written since the last call, in the order they were written.
  std::vector<std::string> TakeWritten();

  /// The slide count of the deck the last exporter opened; -1 when it could
  /// not be read. Reset by TakeWritten().
  int LastSlideCount() const { return slideCount_; }

  /// What the deck the last exporter opened holds beyond its pictures: the
  /// fonts it was drawn without, and the facts of the slides it drew, in
  /// the order drawn (with the notes file of each, when written); reset by
  /// the call.
  DeckFacts TakeFacts();

  /// True when the last file was left alone because its images were up to
  /// date (the request's skipExisting); reset by the call.
  bool TakeSkipped() { return std::exchange(skipped_, false); }

 private:
  ApplicationFactory& factory_;
  Ui& ui_;
  /// Tells the observer that slide `slide` of `count` is drawn next and
  /// keeps its facts for TakeFacts.
  void NoteSlide(int slide, int count);
  /// Opens `sourcePath` in `session` and makes it draw as the request asks
  /// (see SlideSession::UseRequest); keeps the deck's facts.
  void OpenSession(SlideSession& session, const std::string& sourcePath);
  /// With the request's notes, writes slide `n`'s speaker notes as
  /// `<outputFolder><base>_Slide<n>.txt` (`digits` as the image's name),
  /// reporting under `line` when it cannot.
  void WriteSlideNotes(ErrorTrap& trap, int line, const std::string& outputFolder,
                       const std::string& base, int n, int digits);
  /// When the request asks to skip existing images and every one of
  /// `images` exists and is newer than `sourcePath`: notes the file as
  /// skipped and returns true.
  bool SkipAsUpToDate(const std::vector<std::string>& images, const std::string& sourcePath);
  /// The pictures of `jpegList` with their sizes read from their headers, one
  /// per slot: a picture that cannot be read is reported (116), deleted, and
  /// its slot shows the picture before it (none before the first).
  std::vector<PlacedPicture> SlotPictures(ErrorTrap& trap, const std::vector<std::string>& jpegList);
  /// CombineImages for the request's grid: cells of the largest picture's
  /// size, `gap` apart, on the request's background, a grid row at a time.
  void CombineGrid(ErrorTrap& trap, const std::string& outputPath,
                   const std::vector<std::string>& jpegList);

  short stitchDirection_ = 1;
  ConversionRequest request_;
  const CancelToken* cancel_ = nullptr;
  bool Cancelled() const { return cancel_ != nullptr && cancel_->Requested(); }
  bool skipped_ = false;
  Bitmap creator_;
  std::function<void(int, int)> slideStarted_;
  std::vector<std::string> written_;
  int slideCount_ = -1;
  /// The open deck's facts, and those of the slides drawn from it.
  DeckFacts deckFacts_;
  DeckFacts drawnFacts_;
};

}  // namespace qm
