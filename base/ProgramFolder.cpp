#include "base/ProgramFolder.h"

#include <limits.h>
#include <unistd.h>

#include "base/Paths.h"

namespace qm {

namespace {

/// <prefix>/<relative>/ when the program's folder is <prefix>/<anything>/
/// and that folder exists; else the program's folder. /proc/self/exe is
/// already resolved, so the parent is taken by name.
std::string InstalledOrOwnFolder(const char* relative) {
  const std::string own = ProgramFolder();
  if (own.size() < 2) return own;
  const auto slash = own.rfind('/', own.size() - 2);
  if (slash == std::string::npos) return own;
  const std::string candidate = own.substr(0, slash + 1) + relative + "/";
  return FolderExists(candidate) ? candidate : own;
}

}  // namespace

std::string ProgramFolder() {
  char buffer[PATH_MAX];
  const ssize_t size = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (size <= 0) return {};
  const std::string self(buffer, static_cast<std::size_t>(size));
  const auto slash = self.rfind('/');
  return slash == std::string::npos ? std::string() : self.substr(0, slash + 1);
}

std::string HelperFolder() { return InstalledOrOwnFolder(QM_INSTALL_HELPER_DIR); }

std::string DataFolder() { return InstalledOrOwnFolder(QM_INSTALL_DATA_DIR); }

}  // namespace qm
