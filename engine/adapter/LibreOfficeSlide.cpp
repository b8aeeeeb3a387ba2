#include "engine/adapter/LibreOfficeSlide.h"

#include <strings.h>

#include <utility>

#include "base/Error.h"
#include "engine/adapter/DeckRenderer.h"

namespace qm {

LibreOfficeSlide::LibreOfficeSlide(std::shared_ptr<DeckRenderer> renderer,
                                   std::uint64_t serial, std::string path, int number,
                                   std::shared_ptr<const DrawRequest> drawing)
    : renderer_(std::move(renderer)),
      serial_(serial),
      path_(std::move(path)),
      number_(number),
      drawing_(std::move(drawing)) {}

void LibreOfficeSlide::Export(const std::string& fileName, const std::string& filterName,
                              int scaleWidth, int scaleHeight) {
  const std::string slide = "slide " + std::to_string(number_);
  if (::strcasecmp(filterName.c_str(), "BMP") != 0) {
    throw Error(path_ + ": " + slide + " cannot be exported as \"" + filterName +
                "\"; only BMP is supported");
  }
  if (scaleWidth < 0 || scaleHeight < 0) {
    throw Error(path_ + ": " + slide + " cannot be exported at a negative size (" +
                std::to_string(scaleWidth) + " x " + std::to_string(scaleHeight) + ")");
  }
  if (!renderer_->IsOpen(serial_)) throw Error(path_ + ": the presentation is closed");
  DrawRequest drawing = *drawing_;
  drawing.width = scaleWidth;
  drawing.height = scaleHeight;
  renderer_->Draw(serial_, number_, fileName, drawing);
}

bool LibreOfficeSlide::Hidden() {
  if (!renderer_->IsOpen(serial_)) throw Error(path_ + ": the presentation is closed");
  return renderer_->IsHidden(serial_, number_);
}

}  // namespace qm
