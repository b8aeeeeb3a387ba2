#include "engine/worker/FileUrl.h"

namespace qm {

std::string FileUrlFromPath(const std::string& absolutePath) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  url.reserve(url.size() + absolutePath.size() * 3);
  for (const char ch : absolutePath) {
    const auto byte = static_cast<unsigned char>(ch);
    const bool keep = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                      (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                      byte == '~' || byte == '/';
    if (keep) {
      url.push_back(ch);
    } else {
      url.push_back('%');
      url.push_back(kHex[byte >> 4]);
      url.push_back(kHex[byte & 15]);
    }
  }
  return url;
}

}  // namespace qm
