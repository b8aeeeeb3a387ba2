#include "engine/adapter/LibreOfficeSlide.h"

#include <strings.h>

#include <utility>

#include "base/Error.h"
#include "engine/adapter/LibreOfficeSession.h"

namespace qm {

LibreOfficeSlide::LibreOfficeSlide(std::shared_ptr<LibreOfficeSession> session,
                                   std::uint64_t serial, std::string path, int number)
    : session_(std::move(session)), serial_(serial), path_(std::move(path)), number_(number) {}

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
  if (!session_->IsOpen(serial_)) throw Error(path_ + ": the presentation is closed");
  session_->Export(serial_, number_, fileName, scaleWidth, scaleHeight);
}

bool LibreOfficeSlide::Hidden() {
  if (!session_->IsOpen(serial_)) throw Error(path_ + ": the presentation is closed");
  return session_->IsHidden(serial_, number_);
}

}  // namespace qm
