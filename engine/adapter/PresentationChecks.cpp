#include "engine/adapter/PresentationChecks.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "base/OfficeLocation.h"
#include "engine/render/RenderWorkerSettings.h"

namespace qm {

namespace {

/// Tells a person at a terminal what to install; the message box cannot.
void ExplainMissingRenderer(const std::string& reason) {
  if (!reason.empty()) std::fprintf(stderr, "quillmere: %s\n", reason.c_str());
  for (const std::string& missing : MissingRendererParts())
    std::fprintf(stderr, "quillmere: %s\n", missing.c_str());
}

}  // namespace

std::vector<std::string> MissingRendererParts() {
  std::vector<std::string> missing;
  const std::string program = OfficeProgramFolder();
  if (::access((program + "/libmergedlo.so").c_str(), R_OK) != 0) {
    missing.push_back("LibreOffice Impress is missing (" + program +
                      "/libmergedlo.so); install the Debian package libreoffice-impress-nogui.");
  }
  const std::string worker = RenderWorkerSettings::FromEnvironment().workerPath;
  if (worker.empty() || ::access(worker.c_str(), X_OK) != 0) {
    missing.push_back("The render worker " +
                      (worker.empty() ? std::string("quillmere-render-worker") : worker) +
                      " is missing; reinstall Quillmere.");
  }
  return missing;
}

bool CheckPowerPointInstalled(ApplicationFactory& factory, Ui& ui) {
  std::string reason;
  try {
    std::shared_ptr<Application> application = factory.Create(kPresentationApplicationClass);
    if (application) return true;  // released here, not asked to quit
    reason = "The presentation application could not be created.";
  } catch (const std::exception& error) {
    reason = error.what();
  } catch (...) {
    reason = "The presentation application could not be created.";
  }
  // A start from the desktop's menu shows no standard error: the box itself
  // names what is missing, on a line of its own under the usual text.
  ShowPlainMessage(ui, std::string(kNotInstalledMessage) + "\r\n" + reason);
  ExplainMissingRenderer(reason);
  return false;
}

bool IsPowerPointRunning(ApplicationFactory& factory) {
  try {
    std::shared_ptr<Application> application = factory.Attach(kPresentationApplicationClass);
    return application && application->Name() == "Microsoft PowerPoint";
  } catch (...) {
    return false;
  }
}

bool WarnIfPowerPointOpen(ApplicationFactory& factory, Ui& ui) {
  if (!IsPowerPointRunning(factory)) return false;
  return ShowPlainMessage(ui, kPowerPointOpenQuestion, MessageButtons::YesNo) == MessageAnswer::No;
}

}  // namespace qm
