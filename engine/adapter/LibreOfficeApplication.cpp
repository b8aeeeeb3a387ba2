#include "engine/adapter/LibreOfficeApplication.h"

#include <utility>

#include "base/Error.h"
#include "engine/adapter/DeckRenderer.h"

namespace qm {

LibreOfficeApplication::LibreOfficeApplication(std::shared_ptr<DeckRenderer> renderer)
    : renderer_(std::move(renderer)), presentations_(renderer_) {}

std::string LibreOfficeApplication::Name() { return "LibreOffice Impress"; }

void LibreOfficeApplication::SetVisible(bool visible) {
  if (renderer_->Ended()) throw Error("The presentation application has quit");
  visible_ = visible;
}

void LibreOfficeApplication::Quit() { renderer_->End(); }

}  // namespace qm
