#include "filelist/FileAttributes.h"

namespace qm {

namespace {
// The entry's own name: the last non-empty component of `path`.
std::string_view LastComponent(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}
}  // namespace

unsigned AttributesFrom(std::string_view name, bool isLink, mode_t targetMode) {
  unsigned attributes = 0;
  if (!name.empty() && name.front() == '.') attributes |= kAttributeHidden;
  if (isLink) attributes |= kAttributeReparsePoint;
  if (S_ISDIR(targetMode)) attributes |= kAttributeDirectory;
  if (S_ISREG(targetMode)) attributes |= kAttributeArchive;
  return attributes;
}

std::optional<unsigned> FileAttributesOf(const std::string& path) {
  struct stat own{};
  if (path.empty() || ::lstat(path.c_str(), &own) != 0) return std::nullopt;
  const bool isLink = S_ISLNK(own.st_mode);
  mode_t targetMode = own.st_mode;
  if (isLink) {
    struct stat target{};
    targetMode = ::stat(path.c_str(), &target) == 0 ? target.st_mode : 0;
  }
  return AttributesFrom(LastComponent(path), isLink, targetMode);
}

}  // namespace qm
