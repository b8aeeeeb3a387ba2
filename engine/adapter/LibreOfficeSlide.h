#pragma once
// One slide of a presentation open in a deck renderer.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/adapter/Slide.h"
#include "engine/protocol/DrawRequest.h"

namespace qm {

class DeckRenderer;

/// Exports one slide through the renderer, which writes the bitmap file
/// itself, drawn as its presentation's drawing says at the size asked.
class LibreOfficeSlide : public Slide {
 public:
  LibreOfficeSlide(std::shared_ptr<DeckRenderer> renderer, std::uint64_t serial,
                   std::string path, int number, std::shared_ptr<const DrawRequest> drawing);

  /// Only the filter "BMP" (letter case aside) is supported: a Windows
  /// bitmap of 24 or 32 bits, as the worker drew it (with alpha when the
  /// presentation's drawing leaves the background out). Scale 0 x 0 gives the default size, the slide at 96 dpi rounded
  /// to whole pixels; other scales are the bitmap's size in pixels, and a 0
  /// beside a positive value keeps the slide's aspect ratio. Throws qm::Error
  /// naming the presentation and the slide for another filter, a negative
  /// scale, a closed presentation or a failed export.
  void Export(const std::string& fileName, const std::string& filterName, int scaleWidth,
              int scaleHeight) override;

  /// Asks the renderer (a LibreOffice session asks its worker once per
  /// open presentation).
  bool Hidden() override;

  /// 1-based slide number.
  int Number() const { return number_; }

 private:
  std::shared_ptr<DeckRenderer> renderer_;
  std::uint64_t serial_;
  std::string path_;
  int number_;
  std::shared_ptr<const DrawRequest> drawing_;
};

}  // namespace qm
