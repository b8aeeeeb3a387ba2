#include "engine/adapter/LibreOfficePresentation.h"

#include <utility>

#include "base/Error.h"
#include "engine/adapter/LibreOfficeSession.h"

namespace qm {

LibreOfficePresentation::LibreOfficePresentation(std::shared_ptr<LibreOfficeSession> session,
                                                 std::uint64_t serial, std::string path,
                                                 const RenderDocumentInfo& info)
    : session_(std::move(session)),
      serial_(serial),
      path_(std::move(path)),
      info_(info),
      slides_(session_, serial_, path_, info) {}

LibreOfficePresentation::~LibreOfficePresentation() {
  try {
    session_->Close(serial_);
  } catch (...) {
    // Releasing never fails; a worker that broke here is replaced later.
  }
}

Slides& LibreOfficePresentation::GetSlides() {
  if (!session_->IsOpen(serial_)) throw Error(path_ + ": the presentation is closed");
  return slides_;
}

void LibreOfficePresentation::Close() { session_->Close(serial_); }

std::pair<double, double> LibreOfficePresentation::SlideSizePoints() {
  return {static_cast<double>(info_.widthTwips) / 20.0, static_cast<double>(info_.heightTwips) / 20.0};
}

void LibreOfficePresentation::UseDrawing(const DrawRequest& drawing) {
  if (!session_->IsOpen(serial_)) throw Error(path_ + ": the presentation is closed");
  session_->UseDrawing(drawing);
}

}  // namespace qm
