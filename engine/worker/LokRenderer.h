#pragma once
// The worker's use of LibreOfficeKit: one office, one document at a time.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Bitmap.h"
#include "engine/protocol/RenderFailure.h"

struct _LibreOfficeKit;
struct _LibreOfficeKitDocument;

namespace qm {

/// Loads LibreOfficeKit once and renders the slides of one open presentation
/// at a time into bitmap files.
///
/// Edges: LibreOfficeKit 7.4 paints the editing view, which draws a hairline
/// page outline (grey 0x949599) over the page's outermost pixels, after the
/// slide background and before the slide's shapes. Export therefore paints a
/// tile inset by a little more than one output pixel on every side, scaled to
/// fill the whole bitmap: the outline falls outside the canvas and the bitmap
/// shows the slide edge to edge, at the cost of a scale 0.2 % above nominal at
/// 96 dpi (about one pixel of the slide's rim per side). The page shadow is
/// switched off at rendering start-up. One paintTile call per slide, at the
/// exact output size; no encoding inside LibreOffice.
///
/// Not thread-safe; LibreOfficeKit cannot be started twice in one process, so
/// a process holds at most one started LokRenderer.
class LokRenderer {
 public:
  LokRenderer() = default;
  LokRenderer(const LokRenderer&) = delete;
  LokRenderer& operator=(const LokRenderer&) = delete;

  /// Starts LibreOfficeKit from `programDir` (the folder holding
  /// libmergedlo.so) with the profile at `profileUrl`. Returns false and sets
  /// `*error` (a sentence) when it cannot start.
  bool Start(const std::string& programDir, const std::string& profileUrl, std::string* error);

  /// Opens `absolutePath`, closing any document open before. On success
  /// returns kNone and fills the slide count (hidden slides included) and the
  /// slide size in twips. A password prompt is refused at once.
  RenderFailure Open(const std::string& absolutePath, int* slideCount, std::int64_t* widthTwips,
                     std::int64_t* heightTwips, std::string* detail);

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

  /// Called by LibreOfficeKit on its callbacks (password requests).
  void OnCallback(int type, const char* payload);

 private:
  _LibreOfficeKit* office_ = nullptr;
  _LibreOfficeKitDocument* document_ = nullptr;
  int slideCount_ = 0;
  int currentPart_ = -1;
  bool bgra_ = true;
  bool passwordRequested_ = false;
  std::vector<std::uint8_t> canvas_;  ///< reused between exports
  Bitmap bitmap_;                     ///< reused between exports
};

}  // namespace qm
