#pragma once
// The application object of a LibreOffice session.

#include <memory>
#include <string>

#include "engine/adapter/Application.h"
#include "engine/adapter/LibreOfficePresentations.h"

namespace qm {

class LibreOfficeSession;

/// An application object over one LibreOfficeSession. Its Name() is
/// "LibreOffice Impress". Visibility is remembered only: the renderer has no
/// window. Quit() ends the session (closing what is open) and returns the
/// worker to the pool; the worker keeps running for the next session.
class LibreOfficeApplication : public Application {
 public:
  explicit LibreOfficeApplication(std::shared_ptr<LibreOfficeSession> session);

  std::string Name() override;
  /// Throws qm::Error after Quit().
  void SetVisible(bool visible) override;
  Presentations& GetPresentations() override { return presentations_; }
  void Quit() override;

  bool Visible() const { return visible_; }

 private:
  std::shared_ptr<LibreOfficeSession> session_;
  LibreOfficePresentations presentations_;
  bool visible_ = false;
};

}  // namespace qm
