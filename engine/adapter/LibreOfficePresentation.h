#pragma once
// A presentation open in a deck renderer.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/adapter/LibreOfficeSlides.h"
#include "engine/adapter/Presentation.h"
#include "engine/render/RenderDocumentInfo.h"

namespace qm {

class DeckRenderer;

/// One opened presentation. It holds its renderer, so it may outlive the
/// application object, and the way its slides are drawn (UseDrawing). Releasing it without Close() closes it too.
class LibreOfficePresentation : public Presentation {
 public:
  LibreOfficePresentation(std::shared_ptr<DeckRenderer> renderer, std::uint64_t serial,
                          std::string path, const RenderDocumentInfo& info);
  ~LibreOfficePresentation() override;

  /// Throws qm::Error ("<file>: the presentation is closed") once closed.
  Slides& GetSlides() override;

  /// Closes the presentation (nothing is saved); closing twice is harmless.
  /// Throws qm::Error when the renderer fails while closing.
  void Close() override;

  /// From the document size read at open (twips: 20 to the point).
  std::pair<double, double> SlideSizePoints() override;

  /// Makes its slides' exports draw as `drawing` says (each export names
  /// its own size); a presentation starts from the default drawing.
  void UseDrawing(const DrawRequest& drawing) override;

  /// The facts the renderer read when it opened the deck.
  DeckFacts Facts() override { return info_.facts; }

  /// Asks the renderer, with the presentation's drawing at that size.
  bool PrepareClickStates(int number, int width, int height, std::string* why) override;

 private:
  std::shared_ptr<DeckRenderer> renderer_;
  std::uint64_t serial_;
  std::string path_;
  RenderDocumentInfo info_;
  std::shared_ptr<DrawRequest> drawing_;  ///< shared with its slides
  LibreOfficeSlides slides_;
};

}  // namespace qm
