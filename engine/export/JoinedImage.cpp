#include "engine/export/JoinedImage.h"

#include <limits>

#include "base/Error.h"
#include "base/Paths.h"

namespace qm {

void ThrowIfFailed(const Status& status) {
  if (!status.Ok()) throw Error(status.Message());
}

void OpenJoinedImage(PngStreamWriter& png, const std::string& outputPath, bool anyPicture,
                     std::int64_t width, std::int64_t height) {
  if (!anyPicture)
    throw Error("Cannot write the image " + outputPath + ": no slide picture could be read");
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  if (width > kLimit || height > kLimit || width * 3 > kLimit)
    throw Error("Cannot write the image " + outputPath + ": " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels is larger than a PNG file can hold");
  ThrowIfFailed(png.Open(outputPath, static_cast<int>(width), static_cast<int>(height)));
}

std::string ScratchFolderFor(const std::string& outputPath) {
  const std::string folder = FolderPart(outputPath);
  return folder.empty() ? "." : folder;
}

}  // namespace qm
