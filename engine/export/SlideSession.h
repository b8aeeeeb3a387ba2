#pragma once
// The part every exporter shares: open a presentation in a fresh application
// object, push single slides through a temporary bitmap, close and quit.

#include <functional>
#include <memory>
#include <string>

#include "engine/adapter/ApplicationFactory.h"
#include "imaging/Bitmap.h"
#include "base/CancelToken.h"
#include "base/ErrorTrap.h"
#include "engine/export/ConversionRequest.h"
#include "engine/export/SessionLines.h"

namespace qm {

/// The cause a step reports when the presentation it works on never opened:
/// it only follows from the report of the failed open before it.
inline constexpr const char* kNoPresentationOpen = "no presentation is open";

/// The two references an exporter holds for the duration of one file.
class SlideSession {
 public:
  /// Reports each step under its line in `lines`; renders nothing more once
  /// `cancel` (when given) was requested.
  SlideSession(ApplicationFactory& factory, ErrorTrap& trap, const SessionLines& lines,
               const CancelToken* cancel = nullptr)
      : factory_(factory), trap_(trap), lines_(lines), cancel_(cancel) {}

  /// Steps create, makeVisible and open (`sourcePath`).
  void Open(const std::string& sourcePath);

  /// The open presentation's slide count; throws when there is none.
  std::int32_t Count();

  /// Makes the next exports draw as `request` asks: its size (the default
  /// size when it asks none, or when the slide size cannot be read: the
  /// export then says what is wrong) and its background.
  /// When `request` refuses decks drawn with fonts this machine lacks and
  /// this one is, that is reported under the open step (naming the fonts)
  /// and the presentation is let go: the steps after it write nothing.
  void UseRequest(const ConversionRequest& request);

  /// Makes the next exports draw click state `step` of their slide (-1:
  /// the whole slide, as after UseRequest).
  void UseStep(int step);

  /// True when the click states of slide `n` can be drawn as the request
  /// asks (with what they leave out, a phrase, in `*why`, "" for nothing);
  /// false, with the reason in `*why`, when they cannot or the question
  /// fails.
  bool DrawsClickStates(int n, std::string* why);

  /// What the open presentation holds beyond its pictures (see
  /// Presentation::Facts); none when nothing is open.
  DeckFacts Facts();

  /// True when slide `n` is hidden; false when that cannot be read (the
  /// slide is then written, as without the question).
  bool IsHidden(int n);

  /// Pushes slide `n` through a temporary bitmap in `outputFolder`: export
  /// (exportSlide), when the bitmap exists (bitmapExists) load it into
  /// `creator` (loadBitmap) and hand it to `write` (writePicture), then
  /// delete the temporary bitmap (deleteBitmap) whatever happened. The
  /// bitmap's name is hidden and unique, so no file of the user's is ever
  /// replaced or deleted.
  void ExportSlide(int n, const std::string& outputFolder, Bitmap& creator,
                   const std::function<void(const Bitmap&)>& write);

  /// Closes the presentation (close), asks the application to quit (quit),
  /// then releases the application and the presentation.
  void Close();

 private:
  ApplicationFactory& factory_;
  ErrorTrap& trap_;
  SessionLines lines_;
  const CancelToken* cancel_;
  /// The application, or a throw whose description names the file: every
  /// follow-up report of a file that could not be opened says which file.
  Application& App() const;
  /// The open presentation, or such a throw.
  Presentation& Opened() const;

  std::string sourcePath_;
  std::pair<int, int> size_{0, 0};  ///< asked of the renderer; 0: its default
  DrawRequest drawing_;             ///< what UseRequest set
  std::shared_ptr<Application> app_;
  std::shared_ptr<Presentation> presentation_;
};

/// A hidden name in `folder` ending in `extension`, unique to this process and
/// call, that cannot collide with a user's file (TemporaryFileName in
/// base/TemporaryName.h: it names this process, so SweepStaleTemporaries can
/// remove it once the process is gone).
std::string TemporaryPathIn(const std::string& folder, const std::string& extension);

}  // namespace qm
