#include "engine/worker/LokApi.h"

#include <cstddef>
#include <cstdlib>

#include <nlohmann/json.hpp>

namespace qm::lok {

namespace {

/// True when `klass` (of `nSize` bytes as this LibreOffice filled it) holds
/// the member at `offset`, of `size` bytes.
template <class Class>
bool Holds(const Class* klass, std::size_t offset, std::size_t size) {
  return klass != nullptr && offset + size <= klass->nSize;
}

// Each call is a template over the class, so that a member one version's
// headers lack is never named outside a discarded branch.

template <class Class>
bool SendDialogEventOf(LibreOfficeKit* office, Class* klass, unsigned long long windowId,
                       const char* arguments) {
  if constexpr (requires(Class* c) { c->sendDialogEvent(office, windowId, arguments); }) {
    if (!Holds(klass, offsetof(Class, sendDialogEvent), sizeof klass->sendDialogEvent) ||
        klass->sendDialogEvent == nullptr)
      return false;
    klass->sendDialogEvent(office, windowId, arguments);
    return true;
  } else {
    (void)office, (void)klass, (void)windowId, (void)arguments;  // unused by this release
    return false;
  }
}

template <class Class>
constexpr bool TakesHash() {
  return requires(Class* c, LibreOfficeKitDocument* d, const char* h, unsigned* u) {
    c->createSlideRenderer(d, h, 0, u, u, true, true);
  };
}

template <class Class>
bool CreateSlideRendererOf(Class* klass, LibreOfficeKitDocument* document, const char* slideHash,
                           int index, unsigned* width, unsigned* height, bool background) {
  // The master page's objects are drawn either way: only the fill goes.
  if constexpr (TakesHash<Class>()) {
    return klass->createSlideRenderer(document, slideHash, index, width, height, background, true);
  } else {
    (void)slideHash;
    return klass->createSlideRenderer(document, index, width, height, background, true);
  }
}

template <class Class>
bool RenderNextSlideLayerOf(Class* klass, LibreOfficeKitDocument* document, unsigned char* buffer,
                            char** json) {
  bool bitmapLayer = false;
  if constexpr (requires(Class* c, double* s) {
                  c->renderNextSlideLayer(document, buffer, &bitmapLayer, s, json);
                }) {
    double scale = 1.0;
    return klass->renderNextSlideLayer(document, buffer, &bitmapLayer, &scale, json);
  } else {
    return klass->renderNextSlideLayer(document, buffer, &bitmapLayer, json);
  }
}

}  // namespace

const char* HeadersVersion() { return TakesHash<LibreOfficeKitDocumentClass>() ? "26.8" : "25.2"; }

std::string RunningVersion(LibreOfficeKit* office) {
  if (office->pClass->getVersionInfo == nullptr) return {};
  char* info = office->pClass->getVersionInfo(office);
  if (info == nullptr) return {};
  // {"ProductName": "LibreOffice", "ProductVersion": "26.8", "ProductExtension": ".3.1", ...}
  const nlohmann::json parsed = nlohmann::json::parse(info, nullptr, /*allow_exceptions=*/false);
  std::free(info);
  if (!parsed.is_object() || !parsed.contains("ProductVersion") ||
      !parsed["ProductVersion"].is_string())
    return {};
  std::string version = parsed["ProductVersion"].get<std::string>();
  if (parsed.contains("ProductExtension") && parsed["ProductExtension"].is_string())
    version += parsed["ProductExtension"].get<std::string>();
  return version;
}

bool KnowsLayoutOf(LibreOfficeKit* office) {
  const std::string running = RunningVersion(office);
  const std::string built = HeadersVersion();
  // "26.8" matches "26.8.3.1" but not "26.80".
  const bool sameRelease = running.compare(0, built.size(), built) == 0 &&
                           (running.size() == built.size() || running[built.size()] == '.');
  return sameRelease && office->pClass->nSize == sizeof(LibreOfficeKitClass);
}

bool KnowsLayoutOf(LibreOfficeKitDocument* document) {
  return document->pClass->nSize == sizeof(LibreOfficeKitDocumentClass);
}

bool SendDialogEvent(LibreOfficeKit* office, unsigned long long windowId, const char* arguments) {
  return SendDialogEventOf(office, office->pClass, windowId, arguments);
}

bool HasSlideRenderer(LibreOfficeKitDocument* document) {
  LibreOfficeKitDocumentClass* klass = document->pClass;
  return LIBREOFFICEKIT_DOCUMENT_HAS(document, postSlideshowCleanup) &&
         LIBREOFFICEKIT_DOCUMENT_HAS(document, renderNextSlideLayer) &&
         klass->createSlideRenderer != nullptr && klass->renderNextSlideLayer != nullptr &&
         klass->postSlideshowCleanup != nullptr;
}

bool SlideRendererTakesHash() { return TakesHash<LibreOfficeKitDocumentClass>(); }

bool CreateSlideRenderer(LibreOfficeKitDocument* document, const char* slideHash, int index,
                         unsigned* width, unsigned* height, bool background) {
  return CreateSlideRendererOf(document->pClass, document, slideHash, index, width, height,
                               background);
}

std::vector<std::string> SlideHashes(LibreOfficeKitDocument* document) {
  std::vector<std::string> hashes;
  if (!LIBREOFFICEKIT_DOCUMENT_HAS(document, getPresentationInfo) ||
      document->pClass->getPresentationInfo == nullptr)
    return hashes;
  char* info = document->pClass->getPresentationInfo(document);
  if (info == nullptr) return hashes;
  const nlohmann::json parsed = nlohmann::json::parse(info, nullptr, /*allow_exceptions=*/false);
  std::free(info);
  if (!parsed.is_object() || !parsed.contains("slides") || !parsed["slides"].is_array()) return hashes;
  for (const nlohmann::json& slide : parsed["slides"]) {
    if (!slide.is_object() || !slide.contains("hash") || !slide["hash"].is_string()) return {};
    hashes.push_back(slide["hash"].get<std::string>());
  }
  return hashes;
}

bool RenderNextSlideLayer(LibreOfficeKitDocument* document, unsigned char* buffer, char** json) {
  return RenderNextSlideLayerOf(document->pClass, document, buffer, json);
}

}  // namespace qm::lok
