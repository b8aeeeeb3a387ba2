#pragma once

#include <string>

#include "engine/adapter/Presentations.h"

namespace qm {

/// The presentation application object. Dropping the last reference is the
/// release.
class Application {
 public:
  virtual ~Application() = default;

  /// The application's name; "Microsoft PowerPoint" only for a genuine instance.
  virtual std::string Name() = 0;

  /// Shows or hides the application's window. Throws qm::Error on failure.
  virtual void SetVisible(bool visible) = 0;

  /// The open presentations.
  virtual Presentations& GetPresentations() = 0;

  /// Asks the application to quit: ends this program's session with it.
  virtual void Quit() = 0;
};

}  // namespace qm
