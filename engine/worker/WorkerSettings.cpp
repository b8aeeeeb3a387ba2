#include "engine/worker/WorkerSettings.h"

#include <cstdlib>
#include <cstring>

#include "base/OfficeLocation.h"

namespace qm {

WorkerSettings WorkerSettings::FromEnvironment() {
  WorkerSettings settings;
  settings.officeProgram = OfficeProgramFolder();
  const char* drawing = std::getenv("QUILLMERE_SLIDE_DRAWING");
  if (drawing != nullptr && std::strcmp(drawing, "export") == 0) {
    settings.drawing = LokRenderer::Drawing::kExport;
  } else if (drawing != nullptr && std::strcmp(drawing, "renderer") == 0) {
    settings.drawing = LokRenderer::Drawing::kRenderer;
  }
  const bool drawingUnknown = drawing != nullptr && *drawing != '\0' && std::strcmp(drawing, "export") != 0 &&
                              std::strcmp(drawing, "renderer") != 0;
  const char* keep = std::getenv("QUILLMERE_WORKER_STDERR");
  settings.keepStandardStreams = keep != nullptr && std::strcmp(keep, "1") == 0;
  settings.confinement =
      WorkerConfinement::Wanted(std::getenv("QUILLMERE_CONFINEMENT"), &settings.problem);
  // A misspelt way of drawing was once taken silently as the default one.
  if (drawingUnknown && settings.problem.empty())
    settings.problem = std::string("QUILLMERE_SLIDE_DRAWING=") + drawing +
                       " is not a way of drawing slides: name \"export\" or \"renderer\", or leave it unset";
  return settings;
}

bool WorkerSettings::ReadCommandLine(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--allow-links") {
      allowLinks = true;
    } else if (i + 1 >= argc) {
      return false;
    } else if (name == "--fd") {
      fd = std::atoi(argv[++i]);
    } else if (name == "--folder") {
      folder = argv[++i];
    } else if (name == "--parent") {
      parent = std::atol(argv[++i]);
    } else {
      return false;
    }
  }
  return fd >= 0 && !folder.empty();
}

}  // namespace qm
