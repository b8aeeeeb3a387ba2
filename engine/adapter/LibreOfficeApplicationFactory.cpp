#include "engine/adapter/LibreOfficeApplicationFactory.h"

#include <strings.h>

#include <utility>

#include "base/Error.h"
#include "engine/adapter/LibreOfficeApplication.h"
#include "engine/adapter/LibreOfficeSession.h"
#include "engine/render/RenderWorkerPool.h"

namespace qm {

LibreOfficeApplicationFactory::LibreOfficeApplicationFactory()
    : LibreOfficeApplicationFactory(
          std::make_shared<RenderWorkerPool>(RenderWorkerSettings::FromEnvironment())) {}

LibreOfficeApplicationFactory::LibreOfficeApplicationFactory(std::shared_ptr<RenderWorkerPool> pool)
    : pool_(std::move(pool)),
      makeRenderer_([pool = pool_] { return std::make_shared<LibreOfficeSession>(pool); }) {}

LibreOfficeApplicationFactory::LibreOfficeApplicationFactory(
    std::function<std::shared_ptr<DeckRenderer>()> makeRenderer)
    : makeRenderer_(std::move(makeRenderer)) {}

std::shared_ptr<Application> LibreOfficeApplicationFactory::Create(const std::string& progId) {
  if (::strcasecmp(progId.c_str(), kPresentationApplicationClass) != 0) {
    throw Error("No application of the class \"" + progId + "\" is installed");
  }
  // Nothing is started here: the first presentation opened starts a
  // renderer. What would keep one from starting is named now, so the
  // installed check at start-up costs no LibreOffice.
  if (pool_) {
    if (const std::string missing = pool_->Settings().MissingPart(); !missing.empty())
      throw Error(missing);
  }
  return std::make_shared<LibreOfficeApplication>(makeRenderer_());
}

std::shared_ptr<Application> LibreOfficeApplicationFactory::Attach(const std::string&) {
  throw Error("No presentation application is running");
}

}  // namespace qm
