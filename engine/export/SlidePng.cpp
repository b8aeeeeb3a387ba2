#include "engine/export/SlidePng.h"

#include "imaging/codecs/JpegFile.h"
#include "imaging/codecs/WebpFile.h"

#include "base/Error.h"
#include "base/Paths.h"
#include "imaging/writers/SaveAsAny.h"

namespace qm {

std::string SlidePngPath(const std::string& outputFolder, const std::string& base, int n,
                         int digits, const char* extension) {
  std::string number = std::to_string(n);
  if (n >= 0 && static_cast<int>(number.size()) < digits)
    number.insert(0, static_cast<std::size_t>(digits) - number.size(), '0');
  return CollapseSeparators(outputFolder + base + "_Slide" + number + extension);
}

void WriteSlidePng(const Bitmap& picture, const std::string& pngPath) {
  std::string why;
  if (!SaveBitmapByMime(&picture, pngPath, "image/png", &why)) {
    if (!why.empty() && why.back() == '.') why.pop_back();
    throw Error("Cannot write the image " + pngPath + (why.empty() ? std::string() : " (" + why + ")"));
  }
}

void WriteSlideImage(const Bitmap& picture, const std::string& path,
                     const ConversionRequest& request) {
  Status written;
  switch (request.type) {
    case ImageType::kPng:
      WriteSlidePng(picture, path);
      return;
    case ImageType::kJpeg:
      written = WriteJpegFile(picture, path, request.EncoderQuality());
      break;
    case ImageType::kWebp:
      written = WriteWebpFile(picture, path, request.EncoderQuality());
      break;
  }
  if (!written.Ok()) throw Error(written.Message());
}

}  // namespace qm
