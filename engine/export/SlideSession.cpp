#include "engine/export/SlideSession.h"

#include "imaging/codecs/BmpFile.h"
#include "base/Cancellation.h"
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
  trap_.Step(lines_.create, [&] { app_ = factory_.Create(kPresentationApplicationClass); });
  trap_.Step(lines_.makeVisible, [&] { Required(app_).SetVisible(true); });
  trap_.Step(lines_.open, [&] {
    presentation_ = Required(app_).GetPresentations().Open(sourcePath, false, false, true);
  });
}

std::int32_t SlideSession::Count() { return Required(presentation_).GetSlides().Count(); }

void SlideSession::ExportSlide(int n, const std::string& outputFolder, Bitmap& creator,
                               const std::function<void(const Bitmap&)>& write) {
  // A cancelled run renders nothing more; what was written stays.
  if (CancelRequested()) return;
  const std::string bitmapPath = TemporaryPathIn(outputFolder, ".bmp");
  trap_.Step(lines_.exportSlide, [&] {
    Required(presentation_)
        .GetSlides()
        .Item(static_cast<std::int16_t>(n))
        ->Export(bitmapPath, "BMP", 0, 0);
  });
  if (trap_.HoldsOrFails(lines_.bitmapExists, [&] { return FileExists(bitmapPath); })) {
    trap_.Step(lines_.loadBitmap, [&] {
      const Status read = ReadBmpFile(bitmapPath, &creator);
      if (!read.Ok()) throw Error(read.Message());
    });
    trap_.Step(lines_.writePicture, [&] { write(creator); });
  }
  trap_.Step(lines_.deleteBitmap, [&] { DeleteFileForce(trap_.ui(), bitmapPath); });
}

void SlideSession::Close() {
  trap_.Step(lines_.close, [&] { Required(presentation_).Close(); });
  trap_.Step(lines_.quit, [&] { Required(app_).Quit(); });
  app_.reset();
  presentation_.reset();
}

std::string TemporaryPathIn(const std::string& folder, const std::string& extension) {
  return CollapseSeparators(folder + TemporaryFileName(extension));
}

}  // namespace qm
