#pragma once
// The worker's use of LibreOfficeKit: one office, one document at a time.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/protocol/DrawRequest.h"
#include "engine/protocol/RenderFailure.h"
#include "engine/worker/LokApi.h"
#include "engine/worker/PresentationInfo.h"
#include "engine/worker/PresentationSizePart.h"
#include "engine/worker/SlideLayers.h"
#include "engine/worker/SlideSizeFit.h"
#include "imaging/Bitmap.h"

namespace qm {

/// Loads LibreOfficeKit once and renders the slides of one open presentation
/// at a time into bitmap files.
///
/// A slide image is what the audience sees: the slide as LibreOffice's slide
/// show and its own export draw it, at exactly the asked size. It carries
/// none of the editing view's marks (no prompts in empty placeholders, no
/// frames around text boxes, no page outline), its content sits where the
/// export puts it, edge to edge. Hidden slides are parts like any other and
/// render the same way.
///
/// Two ways to draw, chosen per document:
/// - The slide renderer (LibreOffice 25.2 and later: createSlideRenderer,
///   then renderNextSlideLayer until it reports the last layer, then
///   postSlideshowCleanup). Every layer is drawn into the same buffer, never
///   cleared between layers, so the buffer ends as the finished slide, equal
///   to the export; about 5 ms of CPU a slide against 36 ms for the export.
///   It derives the height from the width, rounding down, and stretches the
///   slide over that: a slide whose exact height it misses by a row (1280 x
///   720 comes out 1280 x 719) goes to the export, which fits it exactly.
///   So that PowerPoint's default size (13.333 x 7.5 in, 1280 x 720 pixels)
///   and the like need not, the program's own copy of an Office Open XML
///   deck (in the scratch folder's "deck" folder) has its stored slide size
///   nudged, before it is opened, by the few hundredths of a millimetre that
///   make the renderer draw its default size exactly (SlideSizeFit); asked
///   for a second slide at another size the renderer misses, the deck is
///   opened again nudged for that size (a load costs about two exports).
///   The nudge moves no edge by more than a tenth of a pixel; the size
///   reported is the deck's own (reckoned, and held against what LibreOffice
///   reports for the nudged page: where they differ, the deck is opened
///   again as stored), and the picture is the export's of the deck as
///   stored. The copy of a binary .ppt, whose size LibreOffice reads in
///   steps no reckoning here knows, is made one step taller when a second
///   slide is asked at a size the renderer misses (see RefitBinary). A
///   person's own file (opened where it lies when links are allowed) is
///   never changed.
/// - The PNG export (setPart, then saveAs with the PNG filter into the
///   worker's private folder, decoded again): for a LibreOffice without the
///   slide renderer, for a size the renderer does not draw exactly, and
///   always when QUILLMERE_SLIDE_DRAWING=export is set in the environment.
///   QUILLMERE_SLIDE_DRAWING=renderer allows the renderer only, and a slide
///   it cannot draw exactly fails (kBadSize): the tests hold each path
///   against the other this way.
///
/// Why not the editing view's paintTile: it draws the prompts, a page outline
/// over the outermost pixels, and text anti-aliased differently from the
/// export.
///
/// Questions LibreOffice asks while loading (LibreOffice 25.2 asks whether
/// to repair a damaged file, and waits) are refused at once (see
/// ReadDialogRefusal), so a damaged file fails to open instead of hanging.
///
/// Builds against the LibreOfficeKit headers of 25.2 and 26.8 alike: every
/// call whose declaration differs between them goes through LokApi.h.
///
/// Not thread-safe; LibreOfficeKit cannot be started twice in one process, so
/// a process holds at most one started LokRenderer.
class LokRenderer {
 public:
  LokRenderer() = default;
  LokRenderer(const LokRenderer&) = delete;
  LokRenderer& operator=(const LokRenderer&) = delete;

  enum class Drawing { kAuto, kExport, kRenderer };

  /// Starts LibreOfficeKit from `programDir` (the folder holding
  /// libmergedlo.so) with the profile at `profileUrl`. Returns false and sets
  /// `*error` (a sentence) when it cannot start.
  /// `scratchFolder` is the private folder each exported slide picture
  /// passes through on its way to the bitmap file. `drawing`: kAuto draws
  /// with the slide renderer wherever it draws the exact size and exports
  /// the rest; kExport only exports; kRenderer only uses the renderer (a
  /// slide it cannot draw exactly fails).
  bool Start(const std::string& programDir, const std::string& profileUrl,
             const std::string& scratchFolder, Drawing drawing, std::string* error);

  /// With `on`, each of the program's own copies of a deck (in the scratch
  /// folder's deck/) has its links to outside content taken out before it is
  /// opened (ScrubExternalLinks): part of keeping LibreOffice from fetching
  /// linked content. Off by default.
  void SetScrubLinks(bool on) { scrubLinks_ = on; }

  /// Opens `absolutePath`, closing any document open before. On success
  /// returns kNone and fills the slide count (hidden slides included) and the
  /// slide size in twips. A password prompt is refused at once.
  RenderFailure Open(const std::string& absolutePath, int* slideCount, std::int64_t* widthTwips,
                     std::int64_t* heightTwips, std::string* detail);

  /// The 0-based indexes of the open presentation's hidden slides (those the
  /// slide show skips), from LibreOffice's part information.
  RenderFailure HiddenSlides(std::vector<int>* hidden);

  /// What the open presentation holds beyond its pictures, read when it was
  /// opened: the fonts LibreOffice drew it without, each slide's title,
  /// notes and clicks (notes and clicks only where this LibreOffice offers
  /// its presentation information). Empty when nothing is open.
  const DeckFacts& Facts() const { return info_.facts; }

  /// Writes slide `index` (0-based) as a BMP file at `path` (32-bit BGRX as
  /// the slide renderer drew it, 24-bit from the export; 32-bit with alpha
  /// when `request` leaves the background out), at the size `request` asks
  /// for: 0 x 0 means the slide size at 96 dpi rounded to whole pixels, and
  /// one 0 follows the slide's aspect ratio. On success returns kNone with
  /// the size written in `*width`, `*height`. A click state (`request.step`
  /// of 0 or more) is drawn by the slide renderer only, from the slide's
  /// layers (see SlideLayers, drawn once for all the slide's states): where
  /// it cannot draw the slide at that size, the export cannot stand in, and
  /// the state fails (kBadSize) in words.
  RenderFailure Export(int index, const std::string& path, const DrawRequest& request, int* width,
                       int* height, std::string* detail);

  /// True when the click states of slide `index` (0-based) can be drawn as
  /// `request` asks (its size; its step is ignored), their layers then
  /// drawn and kept for the exports of the states; false with the reason,
  /// a phrase, in `*why` (no slide renderer, a size it cannot draw, a slide
  /// that is not there). Drawable, `*why` says what the states leave out
  /// ("" for nothing): effects on parts of a shape (its paragraphs), which
  /// the layers do not hold apart.
  bool PrepareSteps(int index, const DrawRequest& request, std::string* why);

  /// Closes the open document, if any.
  void Close();

  /// What the person should know about how this LibreOffice draws, a
  /// sentence: set by Start when it is another release than the headers the
  /// worker was built against (then every slide is exported, and no call
  /// past the entries all releases share is made); "" otherwise.
  const std::string& Notice() const { return notice_; }

  /// True while a document is open.
  bool HasDocument() const { return document_ != nullptr; }

  /// Called by LibreOfficeKit on its callbacks (password requests, dialogs).
  void OnCallback(int type, const char* payload);
  /// Called by LibreOfficeKit on the open document's callbacks (the fonts it
  /// lacked for the deck just loaded).
  void OnDocumentCallback(int type, const char* payload);

 private:
  /// True when `absolutePath` is a deck the program copied into the scratch
  /// folder's "deck" folder, the worker's to change.
  bool IsOwnCopy(const std::string& absolutePath) const;
  /// Takes `document` (just loaded) as the open one: rendering set up, its
  /// slide count, hashes and current part read.
  void Adopt(LibreOfficeKitDocument* document);
  /// True while the open deck's copy holds a slide size other than its own.
  bool Nudged() const;
  /// Loads documentPath_ into `*document`, its copy first given the slide
  /// size nearest to its own at which the renderer draws `width` x `height`
  /// exactly (when it is the worker's own copy and one is near). Where this
  /// LibreOffice reports the nudged page otherwise than SlideSizeFit reckons
  /// it, the copy is given back its own size and loaded again.
  RenderFailure LoadDrawnAt(int width, int height, LibreOfficeKitDocument** document,
                            std::string* detail);
  /// Opens the deck again nudged for `width` x `height`, once per deck:
  /// false when there is nothing to gain (not the worker's copy, tried
  /// before, no size near); true when it reloaded, `*failure` set if the
  /// deck could not be loaded again (nothing is open then).
  bool Refit(int width, int height, RenderFailure* failure, std::string* detail);
  /// Refit for the worker's copy of a binary .ppt (see PptSlideSize): the
  /// copy is made one of LibreOffice's steps taller and loaded again, kept
  /// when LibreOffice reports it as wide and at most one step taller and
  /// its renderer draws `width` x `height` exactly, else given back its own
  /// size and loaded again. The size reported stays the one first loaded.
  bool RefitBinary(int width, int height, RenderFailure* failure, std::string* detail);
  /// Loads `absolutePath` into `*document`; kPasswordProtected or
  /// kUnreadable (with LibreOffice's words in `*detail`) when it cannot.
  RenderFailure Load(const std::string& absolutePath, LibreOfficeKitDocument** document,
                     std::string* detail);
  /// Sets the slide renderer up for slide `index` at exactly `width` x
  /// `height`; false, with nothing left set up, when it is not offered or
  /// would draw another size (remembered: it is not asked again). After
  /// true, postSlideshowCleanup ends it.
  bool StartSlideRenderer(int index, int width, int height);
  /// Draws slide `index` through the slide renderer into layers_, exactly
  /// `width` x `height` premultiplied 4-byte pixels. Returns false, with
  /// nothing drawn, when the renderer is not offered or would draw another
  /// size; true when it was tried, `*failure` then set if it failed.
  bool DrawWithSlideRenderer(int index, int width, int height, RenderFailure* failure,
                             std::string* detail);
  /// Draws click state `step` of slide `index` into layers_, from the
  /// slide's layers drawn once (steps_) and kept for its further states;
  /// same contract as DrawWithSlideRenderer, and false also when the slide
  /// renderer cannot draw at all.
  bool DrawStepWithSlideRenderer(int index, int width, int height, int step,
                                 RenderFailure* failure, std::string* detail);
  /// The picture size `request` asks for the open deck's slides, in
  /// `*width` x `*height`; kBadSize (with why, in `*detail`) when it is
  /// negative, too large, or the slides have no size.
  RenderFailure PixelSizeFor(const DrawRequest& request, int* width, int* height, std::string* detail) const;
  /// Why the click states cannot be drawn at `width` x `height`: no slide
  /// renderer, or one that misses that size.
  std::string NoClickStates(int width, int height) const;
  /// Reads the open deck's facts into info_ (after Adopt).
  void ReadFacts();
  /// Writes layers_ as the bitmap file at `path`: as drawn when opaque, with
  /// straight alpha when transparent_, else laid on white through picture_.
  RenderFailure WriteLayers(int width, int height, const std::string& path, std::string* detail);
  /// Writes picture_ as the bitmap file at `path`.
  RenderFailure WritePicture(const std::string& path, std::string* detail);
  /// Draws the current slide through the PNG export into `*bitmap`.
  RenderFailure DrawWithExport(int width, int height, Bitmap* bitmap, std::string* detail);

  LibreOfficeKit* office_ = nullptr;
  LibreOfficeKitDocument* document_ = nullptr;
  int slideCount_ = 0;
  long documentWidth_ = 0;   ///< twips, every slide's, read when the document was opened
  long documentHeight_ = 0;
  int currentPart_ = -1;
  bool passwordRequested_ = false;
  Drawing drawing_ = Drawing::kAuto;
  /// The export under way leaves the slide's background out.
  bool transparent_ = false;
  /// The running LibreOffice's function tables are laid out as the headers'.
  bool layoutKnown_ = false;
  std::string notice_;
  bool slideRenderer_ = false;  ///< the open document offers the slide renderer
  std::vector<std::uint8_t> layers_;  ///< the slide renderer's buffer, reused
  Bitmap picture_;                    ///< the slide on its way to the file, reused
  /// The size the slide renderer of the open document cannot draw exactly.
  int misfitWidth_ = -1;
  int misfitHeight_ = -1;
  std::string slidePicture_;  ///< the export's own file, in the scratch folder
  std::string ownDecks_;      ///< the scratch folder's "deck" folder, with a final '/'
  bool scrubLinks_ = false;
  std::string documentPath_;  ///< the open deck's file
  /// The open deck's stored slide size, when it is the worker's copy of an
  /// Office Open XML deck whose size may be nudged; the size its copy holds.
  std::optional<PresentationSizePart> sizePart_;
  SlideSizeFit inCopy_;
  /// The open deck's default picture size, from its stored slide size.
  std::pair<int, int> defaultPixels_{0, 0};
  /// Slides asked at the size the renderer misses, and whether the deck was
  /// opened again for it.
  int misfitSlides_ = 0;
  bool refitted_ = false;
  /// Each slide's hash, by index, where the slide renderer asks for it.
  std::vector<std::string> slideHashes_;
  /// The fonts LibreOffice reported missing for the deck last loaded.
  std::vector<std::string> fontsMissing_;
  /// The open deck's facts and its slides' click states.
  PresentationInfo info_;
  /// The layers of the slide whose click states are being drawn.
  SlideLayers steps_;
};

}  // namespace qm
