#pragma once

#include <memory>
#include <string>

#include "engine/adapter/Presentation.h"

namespace qm {

/// The application's collection of open presentations.
class Presentations {
 public:
  virtual ~Presentations() = default;

  /// Opens `fileName`. Throws qm::Error naming the file for a file that cannot
  /// be read, is not a presentation, or is password-protected (at once,
  /// never waiting for a password).
  virtual std::shared_ptr<Presentation> Open(const std::string& fileName, bool readOnly,
                                             bool untitled, bool withWindow) = 0;
};

}  // namespace qm
