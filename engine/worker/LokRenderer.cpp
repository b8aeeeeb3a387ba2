#define LOK_USE_UNSTABLE_API
#include "engine/worker/LokRenderer.h"

#include <LibreOfficeKit/LibreOfficeKit.h>
#include <LibreOfficeKit/LibreOfficeKitEnums.h>
#include <LibreOfficeKit/LibreOfficeKitInit.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "base/Units.h"
#include "imaging/codecs/BmpFile.h"
#include "engine/worker/FileUrl.h"
#include "engine/worker/PixelConversion.h"

namespace qm {

namespace {

constexpr int kMaxSide = 20000;
constexpr std::int64_t kMaxPixels = 50'000'000;
/// Buffers up to this size are kept for the next slide; larger ones are freed.
constexpr std::size_t kKeptBufferBytes = 64u << 20;
/// The page outline is a hairline snapped to the nearest pixel; an inset of
/// 10 % more than one pixel keeps it (and its anti-aliasing) off the canvas.
constexpr double kInsetPixels = 1.1;

const char kRenderingOptions[] = R"({".uno:ShowBorderShadow":{"type":"boolean","value":false}})";

void Callback(int type, const char* payload, void* data) {
  static_cast<LokRenderer*>(data)->OnCallback(type, payload);
}

/// Twips to whole pixels at 96 dpi, halves rounded up.
long PixelsFromTwips(long twips) { return (twips * 2 + kTwipsPerPixel) / (2 * kTwipsPerPixel); }

/// Inset in twips along one axis for `pixels` output pixels over `twips`.
int InsetTwips(long twips, int pixels) {
  const double perPixel = static_cast<double>(twips) / (pixels + 2);
  const long inset = static_cast<long>(std::ceil(kInsetPixels * perPixel));
  return twips - 2 * inset > twips / 2 ? static_cast<int>(inset) : 0;
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
                        std::string* error) {
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
  office_->pClass->setOptionalFeatures(
      office_, LOK_FEATURE_DOCUMENT_PASSWORD | LOK_FEATURE_DOCUMENT_PASSWORD_TO_MODIFY);
  office_->pClass->registerCallback(office_, &Callback, this);
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
  }
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

  passwordRequested_ = false;
  const std::string url = FileUrlFromPath(absolutePath);
  LibreOfficeKitDocument* document =
      office_->pClass->documentLoadWithOptions(office_, url.c_str(), "");
  if (document == nullptr) {
    if (passwordRequested_) return RenderFailure::kPasswordProtected;
    char* message = office_->pClass->getError(office_);
    *detail = message != nullptr ? message : "";
    if (message != nullptr) office_->pClass->freeError(message);
    return RenderFailure::kUnreadable;
  }
  const int type = document->pClass->getDocumentType(document);
  if (type != LOK_DOCTYPE_PRESENTATION) {
    *detail = DocumentKindName(type);
    document->pClass->destroy(document);
    return RenderFailure::kNotPresentation;
  }

  document_ = document;
  document_->pClass->initializeForRendering(document_, kRenderingOptions);
  bgra_ = document_->pClass->getTileMode(document_) == LOK_TILEMODE_BGRA;
  slideCount_ = document_->pClass->getParts(document_);
  currentPart_ = document_->pClass->getPart(document_);
  long width = 0;
  long height = 0;
  document_->pClass->getDocumentSize(document_, &width, &height);
  *slideCount = slideCount_;
  *widthTwips = width;
  *heightTwips = height;
  return RenderFailure::kNone;
}

RenderFailure LokRenderer::Export(int index, const std::string& path, int* width, int* height,
                                  std::string* detail) {
  if (document_ == nullptr) return RenderFailure::kNoDocument;
  if (index < 0 || index >= slideCount_) {
    *detail = "slide index " + std::to_string(index) + " of " + std::to_string(slideCount_);
    return RenderFailure::kNoSuchSlide;
  }
  if (index != currentPart_) {
    document_->pClass->setPart(document_, index);
    currentPart_ = index;
  }
  long twipsWide = 0;
  long twipsHigh = 0;
  document_->pClass->getDocumentSize(document_, &twipsWide, &twipsHigh);
  if (twipsWide <= 0 || twipsHigh <= 0) {
    *detail = "the slide has no size";
    return RenderFailure::kBadSize;
  }

  std::int64_t w = *width;
  std::int64_t h = *height;
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

  const int pixelsWide = static_cast<int>(w);
  const int pixelsHigh = static_cast<int>(h);
  const int insetX = InsetTwips(twipsWide, pixelsWide);
  const int insetY = InsetTwips(twipsHigh, pixelsHigh);
  const std::size_t bytes = static_cast<std::size_t>(pixelsWide) * pixelsHigh * 4;
  canvas_.resize(bytes);
  std::memset(canvas_.data(), 0, bytes);
  document_->pClass->paintTile(document_, canvas_.data(), pixelsWide, pixelsHigh, insetX, insetY,
                               static_cast<int>(twipsWide - 2 * insetX),
                               static_cast<int>(twipsHigh - 2 * insetY));
  CompositePremultipliedOverWhite(canvas_.data(), pixelsWide, pixelsHigh, bgra_, &bitmap_);
  const Status status = WriteBmpFile(bitmap_, path);
  const bool written = status.Ok();
  if (!written && detail) *detail = status.Message();
  if (bytes > kKeptBufferBytes) {  // an unusually large export: give the memory back
    std::vector<std::uint8_t>().swap(canvas_);
    bitmap_ = Bitmap();
  }
  if (!written) return RenderFailure::kWriteFailed;
  *width = pixelsWide;
  *height = pixelsHigh;
  return RenderFailure::kNone;
}

void LokRenderer::Close() {
  if (document_ != nullptr) {
    document_->pClass->destroy(document_);
    document_ = nullptr;
  }
  slideCount_ = 0;
  currentPart_ = -1;
}

}  // namespace qm
