#include "engine/adapter/LibreOfficeSlides.h"

#include <utility>

#include "base/Error.h"
#include "engine/adapter/DeckRenderer.h"
#include "engine/adapter/LibreOfficeSlide.h"

namespace qm {

LibreOfficeSlides::LibreOfficeSlides(std::shared_ptr<DeckRenderer> renderer,
                                     std::uint64_t serial, std::string path,
                                     const RenderDocumentInfo& info,
                                     std::shared_ptr<const DrawRequest> drawing)
    : renderer_(std::move(renderer)),
      serial_(serial),
      path_(std::move(path)),
      info_(info),
      drawing_(std::move(drawing)) {}

void LibreOfficeSlides::RequireOpen() const {
  if (!renderer_->IsOpen(serial_)) throw Error(path_ + ": the presentation is closed");
}

std::int32_t LibreOfficeSlides::Count() {
  RequireOpen();
  return info_.slideCount;
}

std::shared_ptr<Slide> LibreOfficeSlides::Item(std::int16_t index) {
  RequireOpen();
  if (index < 1 || index > info_.slideCount) {
    throw Error(path_ + ": there is no slide " + std::to_string(index) + " (the presentation has " +
                std::to_string(info_.slideCount) +
                (info_.slideCount == 1 ? " slide)" : " slides)"));
  }
  return std::make_shared<LibreOfficeSlide>(renderer_, serial_, path_, index, drawing_);
}

}  // namespace qm
