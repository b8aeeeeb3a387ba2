#include "engine/adapter/LibreOfficeApplication.h"

#include <utility>

#include "base/Error.h"
#include "engine/adapter/LibreOfficeSession.h"

namespace qm {

LibreOfficeApplication::LibreOfficeApplication(std::shared_ptr<LibreOfficeSession> session)
    : session_(std::move(session)), presentations_(session_) {}

std::string LibreOfficeApplication::Name() { return "LibreOffice Impress"; }

void LibreOfficeApplication::SetVisible(bool visible) {
  if (session_->Ended()) throw Error("The presentation application has quit");
  visible_ = visible;
}

void LibreOfficeApplication::Quit() { session_->End(); }

}  // namespace qm
