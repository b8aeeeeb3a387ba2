#include "engine/adapter/LibreOfficePresentations.h"

#include "engine/adapter/LibreOfficePresentation.h"
#include "engine/adapter/DeckRenderer.h"

namespace qm {

std::shared_ptr<Presentation> LibreOfficePresentations::Open(const std::string& fileName, bool,
                                                             bool, bool) {
  RenderDocumentInfo info;
  const std::uint64_t serial = renderer_->Open(fileName, &info);
  return std::make_shared<LibreOfficePresentation>(renderer_, serial, fileName, info);
}

}  // namespace qm
