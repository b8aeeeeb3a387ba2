#pragma once
// The part every exporter shares: open a presentation in a fresh application
// object, push single slides through a temporary bitmap, close and quit.

#include <functional>
#include <memory>
#include <string>

#include "engine/adapter/ApplicationFactory.h"
#include "imaging/Bitmap.h"
#include "base/ErrorTrap.h"

namespace qm {

/// The two references an exporter holds for the duration of one file.
class SlideSession {
 public:
  SlideSession(ApplicationFactory& factory, ErrorTrap& trap) : factory_(factory), trap_(trap) {}

  /// Steps 118 (create), 120 (visible) and 122 (open `sourcePath`).
  void Open(const std::string& sourcePath);

  /// The open presentation's slide count; throws when there is none.
  std::int32_t Count();

  /// Pushes slide `n` through a temporary bitmap in `outputFolder`, starting at
  /// line `exportLine`: export (exportLine), when the bitmap exists (+2) load
  /// it into `creator` (+4) and hand it to `write` (+6), then delete the
  /// temporary bitmap (+8) whatever happened. The bitmap's name is hidden and
  /// unique, so no file of the user's is ever replaced or deleted.
  void ExportSlide(int n, const std::string& outputFolder, int exportLine, Bitmap& creator,
                   const std::function<void(const Bitmap&)>& write);

  /// Closes the presentation (closeLine), asks the application to quit
  /// (closeLine + 2), then releases the application and the presentation.
  void Close(int closeLine);

 private:
  ApplicationFactory& factory_;
  ErrorTrap& trap_;
  std::shared_ptr<Application> app_;
  std::shared_ptr<Presentation> presentation_;
};

/// A hidden name in `folder` ending in `extension`, unique to this process and
/// call, that cannot collide with a user's file (TemporaryFileName in
/// base/TemporaryName.h: it names this process, so SweepStaleTemporaries can
/// remove it once the process is gone).
std::string TemporaryPathIn(const std::string& folder, const std::string& extension);

}  // namespace qm
