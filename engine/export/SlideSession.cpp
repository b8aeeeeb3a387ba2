#include "engine/export/SlideSession.h"

#include "imaging/codecs/BmpFile.h"
#include "base/Error.h"
#include "base/Paths.h"
#include "base/TemporaryName.h"

namespace qm {

namespace {
Application& Required(const std::shared_ptr<Application>& app) {
  if (!app) throw Error("The presentation application is not available");
  return *app;
}
Presentation& Required(const std::shared_ptr<Presentation>& presentation) {
  if (!presentation) throw Error("No presentation is open");
  return *presentation;
}
}  // namespace

void SlideSession::Open(const std::string& sourcePath) {
  trap_.Step(118, [&] { app_ = factory_.Create("PowerPoint.Application"); });
  trap_.Step(120, [&] { Required(app_).SetVisible(true); });
  trap_.Step(122, [&] {
    presentation_ = Required(app_).GetPresentations().Open(sourcePath, false, false, true);
  });
}

std::int32_t SlideSession::Count() { return Required(presentation_).GetSlides().Count(); }

void SlideSession::ExportSlide(int n, const std::string& outputFolder, int exportLine,
                               Bitmap& creator,
                               const std::function<void(const Bitmap&)>& write) {
  const std::string bitmapPath = TemporaryPathIn(outputFolder, ".bmp");
  trap_.Step(exportLine, [&] {
    Required(presentation_)
        .GetSlides()
        .Item(static_cast<std::int16_t>(n))
        ->Export(bitmapPath, "BMP", 0, 0);
  });
  if (trap_.HoldsOrFails(exportLine + 2, [&] { return FileExists(bitmapPath); })) {
    trap_.Step(exportLine + 4, [&] {
      std::string error;
      if (!ReadBmpFile(bitmapPath, &creator, &error)) throw Error(error);
    });
    trap_.Step(exportLine + 6, [&] { write(creator); });
  }
  trap_.Step(exportLine + 8, [&] { DeleteFileForce(trap_.ui(), bitmapPath); });
}

void SlideSession::Close(int closeLine) {
  trap_.Step(closeLine, [&] { Required(presentation_).Close(); });
  trap_.Step(closeLine + 2, [&] { Required(app_).Quit(); });
  app_.reset();
  presentation_.reset();
}

std::string TemporaryPathIn(const std::string& folder, const std::string& extension) {
  return CollapseSeparators(folder + TemporaryFileName(extension));
}

}  // namespace qm
