#include "base/Paths.h"

#include <climits>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

#include "base/Ui.h"

namespace qm {

bool FileExists(const std::string& path) {
  struct stat st{};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat st{};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void DeleteFileForce(Ui& ui, const std::string& path) {
  ui.Yield();
  if (::unlink(path.c_str()) == 0) return;
  // The forced retry: a file without write permission for its owner.
  // Best effort: whether the file went is what the caller looks at next.
  (void)::chmod(path.c_str(), S_IRUSR | S_IWUSR);
  (void)::unlink(path.c_str());
}

std::string FileNamePart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderPart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string CollapseSeparators(const std::string& path) {
  std::string out;
  out.reserve(path.size());
  for (const char c : path)
    if (c != '/' || out.empty() || out.back() != '/') out += c;
  return out;
}

std::string OutputBaseName(const std::string& sourcePath) {
  const std::string name = FileNamePart(sourcePath);
  const auto dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return name;
  return name.substr(0, dot);
}

}  // namespace qm

namespace qm {

std::string ResolvedPath(const std::string& path) {
  const std::string collapsed = CollapseSeparators(path);
  const std::string folder = FolderPart(collapsed);
  char resolved[PATH_MAX];
  if (::realpath(folder.empty() ? "." : folder.c_str(), resolved) == nullptr) return collapsed;
  const std::string root = resolved;
  return (root == "/" ? root : root + "/") + FileNamePart(collapsed);
}

}  // namespace qm
