#pragma once
// Opening presentations in a deck renderer.

#include <memory>
#include <string>

#include "engine/adapter/Presentations.h"

namespace qm {

class DeckRenderer;

/// Opens presentations in the renderer, one at a time: opening
/// another closes the one before (its object then reports "closed").
class LibreOfficePresentations : public Presentations {
 public:
  explicit LibreOfficePresentations(std::shared_ptr<DeckRenderer> renderer)
      : renderer_(std::move(renderer)) {}

  /// The flags do not matter to a renderer: files are only read, never saved
  /// or given a window. Throws qm::Error naming the file when it is missing,
  /// unreadable, damaged, password-protected (at once) or not a presentation,
  /// and after the application's Quit().
  std::shared_ptr<Presentation> Open(const std::string& fileName, bool readOnly, bool untitled,
                                     bool withWindow) override;

 private:
  std::shared_ptr<DeckRenderer> renderer_;
};

}  // namespace qm
