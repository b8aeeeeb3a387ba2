#include "engine/export/SlideSession.h"

#include "imaging/codecs/BmpFile.h"
#include "base/Error.h"
#include "base/Paths.h"
#include "base/HeldFolders.h"
#include "base/TemporaryName.h"

namespace qm {

Application& SlideSession::App() const {
  if (!app_) throw Error(sourcePath_ + ": the presentation application is not available");
  return *app_;
}

Presentation& SlideSession::Opened() const {
  if (!presentation_) throw Error::Consequence(sourcePath_ + ": " + kNoPresentationOpen);
  return *presentation_;
}

void SlideSession::Open(const std::string& sourcePath) {
  sourcePath_ = sourcePath;
  trap_.Step(lines_.create, [&] { app_ = factory_.Create(kPresentationApplicationClass); });
  trap_.Step(lines_.makeVisible, [&] { App().SetVisible(true); });
  trap_.Step(lines_.open, [&] {
    presentation_ = App().GetPresentations().Open(sourcePath, false, false, true);
  });
}

std::int32_t SlideSession::Count() { return Opened().GetSlides().Count(); }

bool SlideSession::IsHidden(int n) {
  if (!presentation_) return false;
  try {
    return presentation_->GetSlides().Item(static_cast<std::int16_t>(n))->Hidden();
  } catch (const Error&) {
    return false;
  }
}

void SlideSession::UseRequest(const ConversionRequest& request) {
  size_ = {0, 0};
  drawing_ = DrawRequest();
  if (!presentation_) return;
  if (request.failOnMissingFonts) {
    const std::vector<std::string> fonts = Facts().fontsMissing;
    if (!fonts.empty()) {
      std::string names;
      for (const std::string& font : fonts) names += (names.empty() ? "" : ", ") + font;
      trap_.Step(lines_.open, [&] {
        throw Error(sourcePath_ + ": the presentation asks for fonts this machine does not have (" +
                    names + "), so its text would be drawn in others");
      });
      try {
        presentation_->Close();
      } catch (const Error&) {
        // Let go below whatever the renderer said: nothing more is drawn.
      }
      presentation_.reset();
      return;
    }
  }
  try {
    const auto [width, height] = presentation_->SlideSizePoints();
    drawing_ = request.Drawing(width, height);
    presentation_->UseDrawing(drawing_);
    size_ = {drawing_.width, drawing_.height};
  } catch (const Error&) {
    // Drawn at the default size; a presentation that cannot say its size
    // fails at the export, which reports it.
  }
}

void SlideSession::UseStep(int step) {
  if (!presentation_) return;
  DrawRequest drawing = drawing_;
  drawing.step = step;
  // A closed presentation fails at the export, which reports it.
  try {
    presentation_->UseDrawing(drawing);
  } catch (const Error&) {
  }
}

bool SlideSession::DrawsClickStates(int n, std::string* why) {
  if (!presentation_) {
    *why = kNoPresentationOpen;
    return false;
  }
  try {
    return presentation_->PrepareClickStates(n, size_.first, size_.second, why);
  } catch (const Error& error) {
    *why = error.what();
    return false;
  }
}

DeckFacts SlideSession::Facts() { return presentation_ ? presentation_->Facts() : DeckFacts(); }

void SlideSession::ExportSlide(int n, const std::string& outputFolder, Bitmap& creator,
                               const std::function<void(const Bitmap&)>& write) {
  // A cancelled run renders nothing more; what was written stays.
  if (cancel_ != nullptr && cancel_->Requested()) return;
  // Moved, read and removed through the folder's handle when it is held.
  const std::string bitmapPath = HeldFolders::Through(TemporaryPathIn(outputFolder, ".bmp"));
  trap_.Step(lines_.exportSlide, [&] {
    Opened()
        .GetSlides()
        .Item(static_cast<std::int16_t>(n))
        ->Export(bitmapPath, "BMP", size_.first, size_.second);
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
  trap_.Step(lines_.close, [&] { Opened().Close(); });
  trap_.Step(lines_.quit, [&] { App().Quit(); });
  app_.reset();
  presentation_.reset();
}

std::string TemporaryPathIn(const std::string& folder, const std::string& extension) {
  return CollapseSeparators(folder + TemporaryFileName(extension));
}

}  // namespace qm
