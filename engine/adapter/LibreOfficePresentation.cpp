#include "engine/adapter/LibreOfficePresentation.h"

#include <utility>

#include "base/Error.h"
#include "engine/adapter/DeckRenderer.h"

namespace qm {

LibreOfficePresentation::LibreOfficePresentation(std::shared_ptr<DeckRenderer> renderer,
                                                 std::uint64_t serial, std::string path,
                                                 const RenderDocumentInfo& info)
    : renderer_(std::move(renderer)),
      serial_(serial),
      path_(std::move(path)),
      info_(info),
      drawing_(std::make_shared<DrawRequest>()),
      slides_(renderer_, serial_, path_, info, drawing_) {}

LibreOfficePresentation::~LibreOfficePresentation() {
  try {
    renderer_->Close(serial_);
  } catch (...) {
    // Releasing never fails; a worker that broke here is replaced later.
  }
}

Slides& LibreOfficePresentation::GetSlides() {
  if (!renderer_->IsOpen(serial_)) throw Error(path_ + ": the presentation is closed");
  return slides_;
}

void LibreOfficePresentation::Close() { renderer_->Close(serial_); }

std::pair<double, double> LibreOfficePresentation::SlideSizePoints() {
  return {static_cast<double>(info_.widthTwips) / 20.0, static_cast<double>(info_.heightTwips) / 20.0};
}

bool LibreOfficePresentation::PrepareClickStates(int number, int width, int height, std::string* why) {
  if (!renderer_->IsOpen(serial_)) throw Error(path_ + ": the presentation is closed");
  DrawRequest drawing = *drawing_;
  drawing.width = width;
  drawing.height = height;
  return renderer_->PrepareClickStates(serial_, number, drawing, why);
}

void LibreOfficePresentation::UseDrawing(const DrawRequest& drawing) {
  if (!renderer_->IsOpen(serial_)) throw Error(path_ + ": the presentation is closed");
  *drawing_ = drawing;
}

}  // namespace qm
