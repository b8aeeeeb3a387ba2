#include "engine/worker/LokRenderer.h"

#include "engine/worker/ExternalLinkScrub.h"

#include <LibreOfficeKit/LibreOfficeKitInit.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <tuple>

#include <nlohmann/json.hpp>

#include "base/Units.h"
#include "imaging/Bitmap.h"
#include "imaging/codecs/BmpFile.h"
#include "imaging/codecs/PngFile.h"
#include "engine/worker/DialogRefusal.h"
#include "engine/worker/FileUrl.h"
#include "engine/worker/OoxmlNotes.h"
#include "engine/worker/PixelConversion.h"
#include "engine/worker/PptSlideSize.h"
#include "engine/worker/PresentationSizePart.h"

namespace qm {

namespace {

constexpr int kMaxSide = 20000;
constexpr std::int64_t kMaxPixels = 50'000'000;
/// More layers than any slide has; a renderer that never reports its last
/// layer is given up on after these.
constexpr int kMaxLayers = 10'000;

const char kRenderingOptions[] = R"({".uno:ShowBorderShadow":{"type":"boolean","value":false}})";

/// The PNG export's filter options for a `width` x `height` picture: opaque
/// (no alpha to composite), and the lightest compression, as the file is
/// read back at once and never kept.
std::string ExportOptions(int width, int height) {
  return R"({"PixelWidth":{"type":"long","value":")" + std::to_string(width) +
         R"("},"PixelHeight":{"type":"long","value":")" + std::to_string(height) +
         R"("},"Translucent":{"type":"boolean","value":"false"},)"
         R"("Compression":{"type":"long","value":"1"}})";
}

/// True when `json`, a layer's description from the slide renderer, says
/// the layer is the slide's background.
bool IsBackgroundLayer(const char* json) {
  if (json == nullptr) return false;
  const nlohmann::json layer = nlohmann::json::parse(json, nullptr, /*allow_exceptions=*/false);
  return layer.is_object() && layer.value("group", std::string()) == "Background";
}

void Callback(int type, const char* payload, void* data) {
  static_cast<LokRenderer*>(data)->OnCallback(type, payload);
}

void DocumentCallback(int type, const char* payload, void* data) {
  static_cast<LokRenderer*>(data)->OnDocumentCallback(type, payload);
}

/// The animated shape a layer's description names ("" for a layer of no
/// animated shape) and whether it shows when the slide starts.
std::pair<std::string, bool> AnimatedShapeOf(const char* json) {
  if (json == nullptr) return {"", true};
  const nlohmann::json layer = nlohmann::json::parse(json, nullptr, /*allow_exceptions=*/false);
  if (!layer.is_object() || layer.value("type", std::string()) != "animated") return {"", true};
  const auto content = layer.find("content");
  if (content == layer.end() || !content->is_object()) return {"", true};
  const std::string hash = content->value("hash", std::string());
  const auto visible = content->find("initVisible");
  return {hash, visible == content->end() || !visible->is_boolean() || visible->get<bool>()};
}

const char* DocumentKindName(int type) {
  switch (type) {
    case LOK_DOCTYPE_TEXT:
      return "a text document";
    case LOK_DOCTYPE_SPREADSHEET:
      return "a spreadsheet";
    case LOK_DOCTYPE_DRAWING:
      return "a drawing";
    default:
      return "a document of another kind";
  }
}

}  // namespace

bool LokRenderer::Start(const std::string& programDir, const std::string& profileUrl,
                        const std::string& scratchFolder, Drawing drawing, std::string* error) {
  slidePicture_ = (std::filesystem::absolute(scratchFolder) / "slide.png").string();
  ownDecks_ = (std::filesystem::absolute(scratchFolder) / "deck").lexically_normal().string() + "/";
  const std::string merged = programDir + "/libmergedlo.so";
  const std::string app = programDir + "/libsofficeapp.so";
  if (::access(merged.c_str(), R_OK) != 0 && ::access(app.c_str(), R_OK) != 0) {
    *error = "LibreOffice Impress is not installed: " + merged +
             " is missing (Debian package libreoffice-impress-nogui)";
    return false;
  }
  office_ = lok_init_2(programDir.c_str(), profileUrl.c_str());
  if (office_ == nullptr) {
    *error = "LibreOffice could not be started from " + programDir;
    return false;
  }
  layoutKnown_ = lok::KnowsLayoutOf(office_);
  if (!layoutKnown_) {
    const std::string running = lok::RunningVersion(office_);
    notice_ = "LibreOffice " + (running.empty() ? std::string("of an unknown version") : running) +
              " is not the release this Quillmere was built for (" + lok::HeadersVersion() +
              "): its slides are drawn by LibreOffice's PNG export, several times slower";
  }
  office_->pClass->setOptionalFeatures(
      office_, LOK_FEATURE_DOCUMENT_PASSWORD | LOK_FEATURE_DOCUMENT_PASSWORD_TO_MODIFY);
  office_->pClass->registerCallback(office_, &Callback, this);
  drawing_ = drawing;
  return true;
}

void LokRenderer::OnCallback(int type, const char* payload) {
  // A password is never asked for: refusing it (a null password) makes the
  // load fail at once, or, for a password that only guards changes, opens
  // the file read-only, which is all a renderer needs.
  if (type == LOK_CALLBACK_DOCUMENT_PASSWORD) {
    passwordRequested_ = true;
    office_->pClass->setDocumentPassword(office_, payload, nullptr);
  } else if (type == LOK_CALLBACK_DOCUMENT_PASSWORD_TO_MODIFY) {
    office_->pClass->setDocumentPassword(office_, payload, nullptr);
  } else if (type == lok::kDialogCallback && payload != nullptr) {
    DialogRefusal refusal;
    if (ReadDialogRefusal(payload, &refusal)) {
      const std::string click =
          R"({"id":")" + refusal.button + R"(","cmd":"click","type":"responsebutton"})";
      // None to send on 26.8; nothing past the shared entries on a release
      // whose table this worker does not know.
      if (layoutKnown_) (void)lok::SendDialogEvent(office_, refusal.windowId, click.c_str());
    }
  }
}

void LokRenderer::OnDocumentCallback(int type, const char* payload) {
  if (type == LOK_CALLBACK_FONTS_MISSING)
    for (std::string& font : ReadMissingFonts(payload))
      if (std::find(fontsMissing_.begin(), fontsMissing_.end(), font) == fontsMissing_.end())
        fontsMissing_.push_back(std::move(font));
}

void LokRenderer::ReadFacts() {
  std::vector<std::string> names;
  for (int part = 0; part < slideCount_; ++part) {
    char* name = document_->pClass->getPartName(document_, part);
    names.emplace_back(name != nullptr ? name : "");
    std::free(name);
  }
  std::vector<bool> hidden(static_cast<std::size_t>(slideCount_), false);
  std::vector<int> hiddenIndexes;
  if (HiddenSlides(&hiddenIndexes) == RenderFailure::kNone)
    for (const int index : hiddenIndexes) hidden[static_cast<std::size_t>(index)] = true;
  std::string presentation;
  // Past the entries every release shares: only where the layout is known.
  if (layoutKnown_ && lok::KnowsLayoutOf(document_) &&
      LIBREOFFICEKIT_DOCUMENT_HAS(document_, getPresentationInfo) &&
      document_->pClass->getPresentationInfo != nullptr) {
    char* json = document_->pClass->getPresentationInfo(document_);
    if (json != nullptr) presentation = json;
    std::free(json);
  }
  info_ = PresentationInfo::Read(presentation, names, hidden, fontsMissing_);
  // A PowerPoint deck's own notes keep their paragraphs; LibreOffice's run
  // them together. Where the package cannot tell, LibreOffice's stand.
  const std::optional<std::vector<std::string>> notes = ReadOoxmlNotes(documentPath_);
  if (notes && notes->size() == info_.facts.slides.size())
    for (std::size_t i = 0; i < notes->size(); ++i)
      if (!(*notes)[i].empty()) info_.facts.slides[i].notes = (*notes)[i];
}

RenderFailure LokRenderer::Open(const std::string& absolutePath, int* slideCount,
                                std::int64_t* widthTwips, std::int64_t* heightTwips,
                                std::string* detail) {
  Close();
  struct stat info {};
  if (::stat(absolutePath.c_str(), &info) != 0) {
    *detail = std::strerror(errno);
    return errno == ENOENT || errno == ENOTDIR ? RenderFailure::kNotFound
                                               : RenderFailure::kNotReadable;
  }
  if (S_ISDIR(info.st_mode)) return RenderFailure::kFolder;
  // LibreOffice would open an empty file as a new blank presentation.
  if (S_ISREG(info.st_mode) && info.st_size == 0) return RenderFailure::kEmptyFile;
  if (::access(absolutePath.c_str(), R_OK) != 0) {
    *detail = std::strerror(errno);
    return RenderFailure::kNotReadable;
  }

  // The program's own copy of a deck may have its slide size nudged onto one
  // the slide renderer draws exactly at the default size (see SlideSizeFit).
  documentPath_ = absolutePath;
  const bool ownCopy = IsOwnCopy(absolutePath);
  if (scrubLinks_ && ownCopy) {
    ScrubbedLinks scrubbed;
    std::string why;
    if (!ScrubExternalLinks(absolutePath, &scrubbed, &why)) {
      // Opened with its links, it could reach outside: not opened at all.
      *detail = "its links to content outside it could not be taken out: " + why;
      return RenderFailure::kUnreadable;
    }
  }
  if (drawing_ != Drawing::kExport && ownCopy) {
    sizePart_ = PresentationSizePart::Read(absolutePath);
    if (sizePart_) inCopy_ = sizePart_->Size();
  }
  if (sizePart_) {
    const auto [twipsWide, twipsHigh] = sizePart_->Size().Twips();
    defaultPixels_ = {static_cast<int>(PixelsFromTwips(static_cast<long>(twipsWide))),
                      static_cast<int>(PixelsFromTwips(static_cast<long>(twipsHigh)))};
  }
  LibreOfficeKitDocument* document = nullptr;
  const RenderFailure loaded =
      LoadDrawnAt(defaultPixels_.first, defaultPixels_.second, &document, detail);
  if (loaded != RenderFailure::kNone) {
    Close();
    return loaded;
  }
  const int type = document->pClass->getDocumentType(document);
  if (type != LOK_DOCTYPE_PRESENTATION) {
    *detail = DocumentKindName(type);
    document->pClass->destroy(document);
    Close();
    return RenderFailure::kNotPresentation;
  }

  Adopt(document);
  long width = 0;
  long height = 0;
  if (Nudged()) {
    // The size of the deck as stored, as this LibreOffice reports it: the
    // nudged page was reported exactly as reckoned.
    std::tie(width, height) = sizePart_->Size().Twips();
  } else {
    document_->pClass->getDocumentSize(document_, &width, &height);
  }
  documentWidth_ = width;
  documentHeight_ = height;
  ReadFacts();
  *slideCount = slideCount_;
  *widthTwips = width;
  *heightTwips = height;
  return RenderFailure::kNone;
}

void LokRenderer::Adopt(LibreOfficeKitDocument* document) {
  document_ = document;
  document_->pClass->initializeForRendering(document_, kRenderingOptions);
  // LibreOffice tells the fonts the load lacked to the first callback the
  // document gets, at once; none is wanted after, so it is taken off again.
  fontsMissing_.clear();
  document_->pClass->registerCallback(document_, &DocumentCallback, this);
  document_->pClass->registerCallback(document_, nullptr, nullptr);
  steps_.Clear();
  slideRenderer_ = layoutKnown_ && lok::KnowsLayoutOf(document_) &&
                   lok::HasSlideRenderer(document_) && drawing_ != Drawing::kExport;
  slideCount_ = document_->pClass->getParts(document_);
  slideHashes_.clear();
  if (slideRenderer_ && lok::SlideRendererTakesHash()) {
    slideHashes_ = lok::SlideHashes(document_);
    // Without a hash for every slide the renderer cannot be asked.
    if (static_cast<int>(slideHashes_.size()) != slideCount_) slideRenderer_ = false;
  }
  currentPart_ = document_->pClass->getPart(document_);
  misfitWidth_ = -1;
  misfitHeight_ = -1;
}

bool LokRenderer::IsOwnCopy(const std::string& absolutePath) const {
  const std::string normal = std::filesystem::path(absolutePath).lexically_normal().string();
  return !ownDecks_.empty() && normal.compare(0, ownDecks_.size(), ownDecks_) == 0 &&
         normal.find('/', ownDecks_.size()) == std::string::npos;
}

bool LokRenderer::Nudged() const { return sizePart_ && !(inCopy_ == sizePart_->Size()); }

RenderFailure LokRenderer::LoadDrawnAt(int width, int height, LibreOfficeKitDocument** document,
                                       std::string* detail) {
  std::string why;
  if (sizePart_ && width > 0 && height > 0) {
    const SlideSizeFit want =
        sizePart_->Size().NearestDrawnAt(width, height).value_or(sizePart_->Size());
    // A copy that cannot be rewritten is opened as it is.
    if (!(want == inCopy_) && sizePart_->Write(documentPath_, want, &why)) inCopy_ = want;
  }
  const RenderFailure loaded = Load(documentPath_, document, detail);
  if (loaded != RenderFailure::kNone || !Nudged()) return loaded;
  long wide = 0;
  long high = 0;
  (*document)->pClass->getDocumentSize(*document, &wide, &high);
  const auto [expectWide, expectHigh] = inCopy_.Twips();
  if (wide == expectWide && high == expectHigh) return RenderFailure::kNone;
  // This LibreOffice sizes pages otherwise than SlideSizeFit reckons, so the
  // deck's own size cannot be told: it is opened again as it was stored,
  // never nudged again, and exported where it must be.
  (*document)->pClass->destroy(*document);
  *document = nullptr;
  if (!sizePart_->Write(documentPath_, sizePart_->Size(), &why)) {
    *detail = "its slide size could not be restored: " + why;
    return RenderFailure::kUnreadable;
  }
  sizePart_.reset();
  return Load(documentPath_, document, detail);
}

bool LokRenderer::Refit(int width, int height, RenderFailure* failure, std::string* detail) {
  if (refitted_ || drawing_ == Drawing::kExport || !IsOwnCopy(documentPath_)) return false;
  if (!sizePart_) return RefitBinary(width, height, failure, detail);
  refitted_ = true;
  const std::optional<SlideSizeFit> fit = sizePart_->Size().NearestDrawnAt(width, height);
  if (!fit || *fit == inCopy_) return false;
  document_->pClass->destroy(document_);
  document_ = nullptr;
  LibreOfficeKitDocument* document = nullptr;
  *failure = LoadDrawnAt(width, height, &document, detail);
  if (*failure == RenderFailure::kNone) Adopt(document);
  return true;
}

bool LokRenderer::RefitBinary(int width, int height, RenderFailure* failure, std::string* detail) {
  refitted_ = true;
  // Read only now: a deck the renderer draws as stored never needs it.
  const std::optional<PptSlideSize> stored = PptSlideSize::Read(documentPath_);
  std::string why;
  if (!stored ||
      !stored->Write(documentPath_, stored->HeightUnits() + PptSlideSize::kNudgeUnits, &why))
    return false;
  document_->pClass->destroy(document_);
  document_ = nullptr;
  LibreOfficeKitDocument* document = nullptr;
  *failure = Load(documentPath_, &document, detail);
  if (*failure == RenderFailure::kNone) {
    long wide = 0;
    long high = 0;
    document->pClass->getDocumentSize(document, &wide, &high);
    Adopt(document);
    // One of LibreOffice's steps is 2 master units, 5 or 6 twips.
    constexpr long kMaxStepTwips = 7;
    if (wide == documentWidth_ && high > documentHeight_ && high - documentHeight_ <= kMaxStepTwips &&
        StartSlideRenderer(0, width, height)) {
      document_->pClass->postSlideshowCleanup(document_);
      return true;
    }
    document_->pClass->destroy(document_);
    document_ = nullptr;
  }
  if (!stored->Write(documentPath_, stored->HeightUnits(), &why)) {
    *failure = RenderFailure::kUnreadable;
    *detail = "its slide size could not be restored: " + why;
    return true;
  }
  *failure = Load(documentPath_, &document, detail);
  if (*failure == RenderFailure::kNone) Adopt(document);
  return true;
}

RenderFailure LokRenderer::Load(const std::string& absolutePath, LibreOfficeKitDocument** document,
                                std::string* detail) {
  passwordRequested_ = false;
  const std::string url = FileUrlFromPath(absolutePath);
  *document = office_->pClass->documentLoadWithOptions(office_, url.c_str(), "");
  if (*document != nullptr) return RenderFailure::kNone;
  if (passwordRequested_) return RenderFailure::kPasswordProtected;
  char* message = office_->pClass->getError(office_);
  *detail = message != nullptr ? message : "";
  if (message != nullptr) office_->pClass->freeError(message);
  return RenderFailure::kUnreadable;
}

RenderFailure LokRenderer::HiddenSlides(std::vector<int>* hidden) {
  if (document_ == nullptr) return RenderFailure::kNoDocument;
  hidden->clear();
  if (document_->pClass->getPartInfo == nullptr) return RenderFailure::kNone;
  for (int part = 0; part < slideCount_; ++part) {
    char* info = document_->pClass->getPartInfo(document_, part);
    if (info == nullptr) continue;
    // {"visible": "0", ...} (25.2) or {"visible": 0, ...} (26.8): the slide
    // show leaves the slide out.
    const nlohmann::json parsed = nlohmann::json::parse(info, nullptr, /*allow_exceptions=*/false);
    office_->pClass->freeError(info);
    if (!parsed.is_object() || !parsed.contains("visible")) continue;
    const nlohmann::json& visible = parsed["visible"];
    if ((visible.is_string() && visible.get<std::string>() == "0") ||
        (visible.is_number() && visible.get<double>() == 0) ||
        (visible.is_boolean() && !visible.get<bool>()))
      hidden->push_back(part);
  }
  return RenderFailure::kNone;
}

RenderFailure LokRenderer::PixelSizeFor(const DrawRequest& request, int* width, int* height,
                                        std::string* detail) const {
  // Every slide of a presentation has the size read when it was opened;
  // asking again costs about 0.5 ms a slide.
  const long twipsWide = documentWidth_;
  const long twipsHigh = documentHeight_;
  if (twipsWide <= 0 || twipsHigh <= 0) {
    *detail = "the slide has no size";
    return RenderFailure::kBadSize;
  }

  std::int64_t w = request.width;
  std::int64_t h = request.height;
  if (w < 0 || h < 0) {
    *detail = "a negative size";
    return RenderFailure::kBadSize;
  }
  if (w == 0 && h == 0) {
    w = PixelsFromTwips(twipsWide);
    h = PixelsFromTwips(twipsHigh);
  } else if (h == 0) {
    h = std::llround(static_cast<double>(w) * static_cast<double>(twipsHigh) / static_cast<double>(twipsWide));
  } else if (w == 0) {
    w = std::llround(static_cast<double>(h) * static_cast<double>(twipsWide) / static_cast<double>(twipsHigh));
  }
  w = std::max<std::int64_t>(w, 1);
  h = std::max<std::int64_t>(h, 1);
  if (w > kMaxSide || h > kMaxSide || w * h > kMaxPixels) {
    *detail = std::to_string(w) + " x " + std::to_string(h) + " pixels is too large";
    return RenderFailure::kBadSize;
  }

  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  return RenderFailure::kNone;
}

std::string LokRenderer::NoClickStates(int width, int height) const {
  return slideRenderer_ ? "LibreOffice draws a slide's click states only with its slide renderer, which "
                          "cannot draw this deck's slides at exactly " +
                              std::to_string(width) + " x " + std::to_string(height) + " pixels"
                        : std::string("this LibreOffice offers no slide renderer to draw click states with");
}

bool LokRenderer::PrepareSteps(int index, const DrawRequest& request, std::string* why) {
  if (document_ == nullptr || index < 0 || index >= slideCount_) {
    *why = "the slide is not there to draw";
    return false;
  }
  transparent_ = request.transparent;
  int width = 0;
  int height = 0;
  std::string detail;
  RenderFailure failure = PixelSizeFor(request, &width, &height, &detail);
  if (failure != RenderFailure::kNone) {
    *why = detail;
    return false;
  }
  bool drawn = DrawStepWithSlideRenderer(index, width, height, 0, &failure, &detail);
  // Only the renderer draws click states: a size it misses is worth
  // opening the deck again for at once.
  if (!drawn && failure == RenderFailure::kNone && slideRenderer_ && width == misfitWidth_ &&
      height == misfitHeight_ && Refit(width, height, &failure, &detail) && failure == RenderFailure::kNone)
    drawn = DrawStepWithSlideRenderer(index, width, height, 0, &failure, &detail);
  if (drawn && failure == RenderFailure::kNone) {
    why->clear();
    const std::size_t at = static_cast<std::size_t>(index);
    if (at < info_.steps.size())
      for (const std::string& target : info_.steps[at].Targets())
        if (!steps_.Shows(target)) {
          *why = "effects on parts of a shape, such as text that enters paragraph by paragraph, are not "
                 "drawn apart: such a shape shows whole in every state";
          break;
        }
    return true;
  }
  if (failure != RenderFailure::kNone) {
    *why = detail;
  } else {
    *why = NoClickStates(width, height);
  }
  return false;
}

RenderFailure LokRenderer::Export(int index, const std::string& path, const DrawRequest& request,
                                  int* width, int* height, std::string* detail) {
  if (document_ == nullptr) return RenderFailure::kNoDocument;
  if (index < 0 || index >= slideCount_) {
    *detail = "slide index " + std::to_string(index) + " of " + std::to_string(slideCount_);
    return RenderFailure::kNoSuchSlide;
  }
  transparent_ = request.transparent;
  int pixelsWide = 0;
  int pixelsHigh = 0;
  RenderFailure failure = PixelSizeFor(request, &pixelsWide, &pixelsHigh, detail);
  if (failure != RenderFailure::kNone) return failure;
  if (request.step >= 0) {
    const bool drawn = DrawStepWithSlideRenderer(index, pixelsWide, pixelsHigh, request.step, &failure, detail);
    if (drawn && failure == RenderFailure::kNone) failure = WriteLayers(pixelsWide, pixelsHigh, path, detail);
    if (!drawn) {
      // The export draws every shape at once: it has no click states.
      *detail = NoClickStates(pixelsWide, pixelsHigh);
      return RenderFailure::kBadSize;
    }
    if (failure != RenderFailure::kNone) return failure;
    *width = pixelsWide;
    *height = pixelsHigh;
    return RenderFailure::kNone;
  }
  bool drawn = DrawWithSlideRenderer(index, pixelsWide, pixelsHigh, &failure, detail);
  if (!drawn && failure == RenderFailure::kNone && slideRenderer_ && pixelsWide == misfitWidth_ &&
      pixelsHigh == misfitHeight_ &&
      (drawing_ == Drawing::kRenderer || transparent_ || ++misfitSlides_ >= 2)) {
    // A size asked of more than one slide is worth opening the deck again
    // with its slide size nudged onto it: a load costs what two exports do.
    // A transparent slide is worth it at once: the export cannot draw it.
    if (Refit(pixelsWide, pixelsHigh, &failure, detail)) {
      if (failure != RenderFailure::kNone) return failure;
      drawn = DrawWithSlideRenderer(index, pixelsWide, pixelsHigh, &failure, detail);
    }
  }
  if (drawn) {
    if (failure == RenderFailure::kNone) failure = WriteLayers(pixelsWide, pixelsHigh, path, detail);
  } else if (drawing_ == Drawing::kRenderer) {
    *detail = slideRenderer_ ? "LibreOffice's slide renderer cannot draw the slide at exactly " +
                                   std::to_string(pixelsWide) + " x " + std::to_string(pixelsHigh) +
                                   " pixels"
                             : std::string("this LibreOffice offers no slide renderer");
    return RenderFailure::kBadSize;
  } else if (failure == RenderFailure::kNone && transparent_) {
    // The export always paints the background: a picture that kept it
    // would pass for one without.
    *detail = "LibreOffice leaves the background out only where its slide renderer draws the "
              "slide, and it cannot draw this deck's slides at exactly " +
              std::to_string(pixelsWide) + " x " + std::to_string(pixelsHigh) + " pixels";
    return RenderFailure::kBadSize;
  } else if (failure == RenderFailure::kNone) {
    // The export draws the current part (making one current costs about
    // 2.5 ms); the slide renderer takes the slide by number.
    if (index != currentPart_) {
      document_->pClass->setPart(document_, index);
      currentPart_ = index;
    }
    failure = DrawWithExport(pixelsWide, pixelsHigh, &picture_, detail);
    if (failure == RenderFailure::kNone) failure = WritePicture(path, detail);
  }
  if (failure != RenderFailure::kNone) return failure;
  *width = pixelsWide;
  *height = pixelsHigh;
  return RenderFailure::kNone;
}

bool LokRenderer::StartSlideRenderer(int index, int width, int height) {
  if (!slideRenderer_ || (width == misfitWidth_ && height == misfitHeight_)) return false;
  unsigned drawnWide = static_cast<unsigned>(width);
  unsigned drawnHigh = static_cast<unsigned>(height);
  const char* hash = slideHashes_.empty() ? nullptr : slideHashes_[static_cast<std::size_t>(index)].c_str();
  if (!lok::CreateSlideRenderer(document_, hash, index, &drawnWide, &drawnHigh, !transparent_))
    return false;
  // The renderer keeps the width, derives the height from the slide's aspect
  // (rounding down), and stretches the slide over the picture it chose. A
  // picture a row short (a 1280 x 720 slide comes out 1280 x 719) puts every
  // line of text a fraction of a pixel higher than the export does, so such
  // a size, and any of another aspect, is the export's to draw; every slide
  // of a document has the same size, so the renderer is not asked again.
  if (drawnWide != static_cast<unsigned>(width) || drawnHigh != static_cast<unsigned>(height)) {
    document_->pClass->postSlideshowCleanup(document_);
    misfitWidth_ = width;
    misfitHeight_ = height;
    return false;
  }
  return true;
}

bool LokRenderer::DrawWithSlideRenderer(int index, int width, int height, RenderFailure* failure,
                                        std::string* detail) {
  if (!StartSlideRenderer(index, width, height)) return false;
  // Each layer is drawn over what the buffer holds, so after the last one it
  // holds the finished slide. It starts transparent: what no layer covers
  // comes out white, as on paper, or stays transparent when asked.
  layers_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
  bool done = false;
  for (int layer = 0; !done && layer < kMaxLayers; ++layer) {
    char* message = nullptr;
    done = lok::RenderNextSlideLayer(document_, layers_.data(), &message);
    // LibreOffice 25.2 draws the background as its own first layer whatever
    // the renderer was asked: wiping it leaves what lies over it.
    if (transparent_ && IsBackgroundLayer(message)) std::fill(layers_.begin(), layers_.end(), 0);
    std::free(message);
  }
  document_->pClass->postSlideshowCleanup(document_);
  if (!done) {
    *detail = "LibreOffice drew more than " + std::to_string(kMaxLayers) +
              " layers of the slide without finishing it";
    *failure = RenderFailure::kWriteFailed;
  }
  return true;
}

bool LokRenderer::DrawStepWithSlideRenderer(int index, int width, int height, int step,
                                            RenderFailure* failure, std::string* detail) {
  if (!steps_.Holds(index, width, height, transparent_)) {
    if (!StartSlideRenderer(index, width, height)) return false;
    steps_.Start(index, width, height, transparent_);
    bool done = false;
    for (int layer = 0; !done && layer < kMaxLayers; ++layer) {
      std::uint8_t* buffer = steps_.Next();
      if (buffer == nullptr) break;
      char* message = nullptr;
      done = lok::RenderNextSlideLayer(document_, buffer, &message);
      // Past the last layer the renderer draws nothing and says nothing.
      if (message != nullptr && !(transparent_ && IsBackgroundLayer(message))) {
        const auto [shape, initVisible] = AnimatedShapeOf(message);
        steps_.Keep(shape, initVisible);
      }
      std::free(message);
    }
    document_->pClass->postSlideshowCleanup(document_);
    if (!done) {
      steps_.Clear();
      *detail = "LibreOffice drew more layers of the slide than its click states can be held in (" +
                std::to_string(SlideLayers::kMaxBytes >> 20) + " MB)";
      *failure = RenderFailure::kWriteFailed;
      return true;
    }
    steps_.Finish();
  }
  static const ClickSteps kNoClicks;
  const std::size_t at = static_cast<std::size_t>(index);
  steps_.Compose(at < info_.steps.size() ? info_.steps[at] : kNoClicks, step, &layers_);
  return true;
}

RenderFailure LokRenderer::WriteLayers(int width, int height, const std::string& path,
                                       std::string* detail) {
  const bool bgra = !LIBREOFFICEKIT_DOCUMENT_HAS(document_, getTileMode) ||
                    document_->pClass->getTileMode(document_) == LOK_TILEMODE_BGRA;
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (transparent_) {
    StraightBgraInPlace(layers_.data(), pixels, bgra);
    const Status status = WriteBgraBmpFile(layers_.data(), width, height, path);
    if (status.Ok()) return RenderFailure::kNone;
    *detail = status.Message();
    return RenderFailure::kWriteFailed;
  }
  if (bgra && AllOpaque(layers_.data(), pixels)) {
    // The common case: the drawn bytes are the file's pixel data as they are.
    const Status status = WriteBgrxBmpFile(layers_.data(), width, height, path);
    if (status.Ok()) return RenderFailure::kNone;
    *detail = status.Message();
    return RenderFailure::kWriteFailed;
  }
  CompositePremultipliedOverWhite(layers_.data(), width, height, bgra, &picture_);
  return WritePicture(path, detail);
}

RenderFailure LokRenderer::WritePicture(const std::string& path, std::string* detail) {
  const Status status = WriteBmpFile(picture_, path);
  if (status.Ok()) return RenderFailure::kNone;
  *detail = status.Message();
  return RenderFailure::kWriteFailed;
}

RenderFailure LokRenderer::DrawWithExport(int width, int height, Bitmap* bitmap,
                                          std::string* detail) {
  const std::string options = ExportOptions(width, height);
  std::remove(slidePicture_.c_str());
  if (!document_->pClass->saveAs(document_, FileUrlFromPath(slidePicture_).c_str(), "png",
                                 options.c_str())) {
    char* message = office_->pClass->getError(office_);
    *detail = std::string("LibreOffice could not draw the slide") +
              (message != nullptr && *message != '\0' ? std::string(": ") + message : "");
    if (message != nullptr) office_->pClass->freeError(message);
    std::remove(slidePicture_.c_str());
    return RenderFailure::kWriteFailed;
  }
  Status status = ReadPngFile(slidePicture_, bitmap);
  std::remove(slidePicture_.c_str());
  if (status.Ok() && (bitmap->width != width || bitmap->height != height)) {
    status = Status::Failure("LibreOffice drew the slide at " + std::to_string(bitmap->width) +
                             " x " + std::to_string(bitmap->height) + " pixels instead of " +
                             std::to_string(width) + " x " + std::to_string(height));
  }
  if (!status.Ok()) {
    *detail = status.Message();
    return RenderFailure::kWriteFailed;
  }
  return RenderFailure::kNone;
}

void LokRenderer::Close() {
  if (document_ != nullptr) {
    document_->pClass->destroy(document_);
    document_ = nullptr;
  }
  slideCount_ = 0;
  currentPart_ = -1;
  slideRenderer_ = false;
  slideHashes_.clear();
  misfitWidth_ = -1;
  misfitHeight_ = -1;
  misfitSlides_ = 0;
  refitted_ = false;
  sizePart_.reset();
  defaultPixels_ = {0, 0};
  documentPath_.clear();
  info_ = PresentationInfo();
  steps_.Clear();
}

}  // namespace qm
