#pragma once
// The application object over a deck renderer (a LibreOffice session).

#include <memory>
#include <string>

#include "engine/adapter/Application.h"
#include "engine/adapter/LibreOfficePresentations.h"

namespace qm {

class DeckRenderer;

/// An application object over one DeckRenderer (in the program a
/// LibreOfficeSession). Its Name() is
/// "LibreOffice Impress". Visibility is remembered only: the renderer has no
/// window. Quit() ends the renderer (closing what is open); a LibreOffice
/// session returns its worker to the pool, warm, for the next session.
class LibreOfficeApplication : public Application {
 public:
  explicit LibreOfficeApplication(std::shared_ptr<DeckRenderer> renderer);

  std::string Name() override;
  /// Throws qm::Error after Quit().
  void SetVisible(bool visible) override;
  Presentations& GetPresentations() override { return presentations_; }
  void Quit() override;

  bool Visible() const { return visible_; }

 private:
  std::shared_ptr<DeckRenderer> renderer_;
  LibreOfficePresentations presentations_;
  bool visible_ = false;
};

}  // namespace qm
