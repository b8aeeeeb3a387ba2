#pragma once
// A presentation open in a LibreOffice session.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/adapter/LibreOfficeSlides.h"
#include "engine/adapter/Presentation.h"
#include "engine/render/RenderDocumentInfo.h"

namespace qm {

class LibreOfficeSession;

/// One opened presentation. It holds its session, so it may outlive the
/// application object. Releasing it without Close() closes it too.
class LibreOfficePresentation : public Presentation {
 public:
  LibreOfficePresentation(std::shared_ptr<LibreOfficeSession> session, std::uint64_t serial,
                          std::string path, const RenderDocumentInfo& info);
  ~LibreOfficePresentation() override;

  /// Throws qm::Error ("<file>: the presentation is closed") once closed.
  Slides& GetSlides() override;

  /// Closes the presentation (nothing is saved); closing twice is harmless.
  /// Throws qm::Error when the renderer fails while closing.
  void Close() override;

  /// From the document size read at open (twips: 20 to the point).
  std::pair<double, double> SlideSizePoints() override;

  /// Hands `drawing` to the session while this presentation is open.
  void UseDrawing(const DrawRequest& drawing) override;

 private:
  std::shared_ptr<LibreOfficeSession> session_;
  std::uint64_t serial_;
  std::string path_;
  RenderDocumentInfo info_;
  LibreOfficeSlides slides_;
};

}  // namespace qm
