#pragma once
// The worker's use of LibreOfficeKit: one office, one document at a time.

#include <cstdint>
#include <string>

#include "engine/protocol/RenderFailure.h"

struct _LibreOfficeKit;
struct _LibreOfficeKitDocument;

namespace qm {

/// Loads LibreOfficeKit once and renders the slides of one open presentation
/// at a time into bitmap files.
///
/// A slide image is what the audience sees: LibreOffice's own export of the
/// slide (the current part saved through the Impress PNG export filter),
/// pixel for pixel, at exactly the asked size. It carries none of the
/// editing view's marks (no prompts in empty placeholders, no frames around
/// text boxes, no page outline), its content sits where the export puts it,
/// edge to edge, and thin lines are as dark as the export draws them. Hidden
/// slides are parts like any other and render the same way.
///
/// Why not the editing view's paintTile, though it costs 4 to 9 ms a slide
/// against about 25 ms: it draws the prompts, a page outline over the
/// outermost pixels of all four edges, and text anti-aliased differently
/// from the export (normalized RMSE 0.02 to 0.03 against it on text slides
/// even at the exact geometry). LibreOfficeKit 7.4 saves a slide to no
/// uncompressed picture format, so each slide is exported as an opaque PNG
/// at the lightest compression into a folder in shared memory (see
/// PrepareSlidePictureFolder; on disk each save adds a flush of about
/// 10 ms), decoded, and written as the 24-bit BMP the program asks for.
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
  /// `scratchFolder` is a private folder each slide's picture passes through
  /// on its way to the bitmap file.
  bool Start(const std::string& programDir, const std::string& profileUrl,
             const std::string& scratchFolder, std::string* error);

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
  bool passwordRequested_ = false;
  std::string slidePicture_;  ///< the export's own file, in the scratch folder
};

}  // namespace qm
