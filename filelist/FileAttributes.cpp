#include "FileAttributes.h"

namespace qm {

namespace {
// The entry's own name: the last non-empty component of `path`.
std::string_view LastComponent(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}
}  // namespace

unsigned AttributesFrom(std::string_view name, bool isLink, const struct stat* target) {
  unsigned attributes = 0;
  if (!name.empty() && name.front() == '.') attributes |= kAttributeHidden;
  if (isLink) attributes |= kAttributeReparsePoint;
  if (target) {
    if (S_ISDIR(target->st_mode)) attributes |= kAttributeDirectory;
    if (S_ISREG(target->st_mode)) attributes |= kAttributeArchive;
  }
  return attributes;
}

std::optional<unsigned> FileAttributesOf(const std::string& path) {
  struct stat own{};
  if (path.empty() || ::lstat(path.c_str(), &own) != 0) return std::nullopt;
  const bool isLink = S_ISLNK(own.st_mode);
  struct stat target{};
  const bool reached = !isLink || ::stat(path.c_str(), &target) == 0;
  const struct stat* status = isLink ? (reached ? &target : nullptr) : &own;
  return AttributesFrom(LastComponent(path), isLink, status);
}

}  // namespace qm
