#pragma once
// The worker's use of LibreOfficeKit: one office, one document at a time.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/protocol/RenderFailure.h"
#include "engine/worker/LokApi.h"
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

  /// Opens `absolutePath`, closing any document open before. On success
  /// returns kNone and fills the slide count (hidden slides included) and the
  /// slide size in twips. A password prompt is refused at once.
  RenderFailure Open(const std::string& absolutePath, int* slideCount, std::int64_t* widthTwips,
                     std::int64_t* heightTwips, std::string* detail);

  /// The 0-based indexes of the open presentation's hidden slides (those the
  /// slide show skips), from LibreOffice's part information.
  RenderFailure HiddenSlides(std::vector<int>* hidden);

  /// Writes slide `index` (0-based) as a 24-bit BMP file at `path`, sized
  /// `*width` x `*height` pixels; 0 x 0 means the slide size at 96 dpi rounded
  /// to whole pixels, and one 0 follows the slide's aspect ratio. On success
  /// returns kNone with the size written in `*width`, `*height`.
  RenderFailure Export(int index, const std::string& path, int* width, int* height,
                       std::string* detail);

  /// Closes the open document, if any.
  void Close();

  /// True while a document is open.
  bool HasDocument() const { return document_ != nullptr; }

  /// Called by LibreOfficeKit on its callbacks (password requests, dialogs).
  void OnCallback(int type, const char* payload);

 private:
  /// Draws slide `index` through the slide renderer into layers_, exactly
  /// `width` x `height` premultiplied 4-byte pixels. Returns false, with
  /// nothing drawn, when the renderer is not offered or would draw another
  /// size; true when it was tried, `*failure` then set if it failed.
  bool DrawWithSlideRenderer(int index, int width, int height, RenderFailure* failure,
                             std::string* detail);
  /// Writes layers_ as the bitmap file at `path`: as drawn when opaque, else
  /// laid on white through picture_.
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
  bool slideRenderer_ = false;  ///< the open document offers the slide renderer
  std::vector<std::uint8_t> layers_;  ///< the slide renderer's buffer, reused
  Bitmap picture_;                    ///< the slide on its way to the file, reused
  /// The size the slide renderer of the open document cannot draw exactly.
  int misfitWidth_ = -1;
  int misfitHeight_ = -1;
  std::string slidePicture_;  ///< the export's own file, in the scratch folder
  /// Each slide's hash, by index, where the slide renderer asks for it.
  std::vector<std::string> slideHashes_;
};

}  // namespace qm
