#pragma once
// The slides of a presentation open in a deck renderer.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/protocol/DrawRequest.h"
#include "engine/render/RenderDocumentInfo.h"
#include "engine/adapter/Slides.h"

namespace qm {

class DeckRenderer;

/// Count and lookup of slides; both answer from what the renderer reported
/// when the presentation opened, without asking it again.
class LibreOfficeSlides : public Slides {
 public:
  LibreOfficeSlides(std::shared_ptr<DeckRenderer> renderer, std::uint64_t serial,
                    std::string path, const RenderDocumentInfo& info,
                    std::shared_ptr<const DrawRequest> drawing);

  /// Slides of the presentation, hidden ones included. Throws qm::Error once
  /// the presentation is closed.
  std::int32_t Count() override;

  /// Slide `index` (1-based). Throws qm::Error naming the file for an index
  /// outside 1..Count() and once the presentation is closed.
  std::shared_ptr<Slide> Item(std::int16_t index) override;

 private:
  void RequireOpen() const;

  std::shared_ptr<DeckRenderer> renderer_;
  std::uint64_t serial_;
  std::string path_;
  RenderDocumentInfo info_;
  std::shared_ptr<const DrawRequest> drawing_;
};

}  // namespace qm
