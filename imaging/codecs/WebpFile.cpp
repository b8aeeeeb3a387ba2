#include "imaging/codecs/WebpFile.h"

#include <webp/encode.h>

#include "imaging/codecs/AtomicFile.h"

namespace qm {

Status WriteWebpFile(const Bitmap& bitmap, const std::string& path, int quality) {
  const auto refuse = [&](const std::string& why) {
    return Status::Failure("Cannot write the WebP image \"" + path + "\": " + why + ".");
  };
  if (!bitmap.IsConsistent()) return refuse("the picture holds no pixels");
  if (bitmap.width > kLargestWebpSide || bitmap.height > kLargestWebpSide)
    return refuse("a WebP image can be at most 16383 pixels wide and high, this one is " +
                  std::to_string(bitmap.width) + " x " + std::to_string(bitmap.height));
  if (quality < 1 || quality > 100)
    return refuse("the quality must be from 1 to 100, not " + std::to_string(quality));

  std::uint8_t* encoded = nullptr;
  const std::size_t size =
      WebPEncodeRGB(bitmap.pixels.data(), bitmap.width, bitmap.height,
                    static_cast<int>(bitmap.RowBytes()), static_cast<float>(quality), &encoded);
  if (size == 0) {
    WebPFree(encoded);
    return refuse("the encoder failed (out of memory?)");
  }
  AtomicFile file;
  bool written = file.Open(path) && file.Write(encoded, size);
  WebPFree(encoded);
  if (written) written = file.Commit();
  if (!written) return Status::Failure(file.Message(), file.SystemError());
  return {};
}

}  // namespace qm
