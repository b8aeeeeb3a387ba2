#include "base/ProgramFolder.h"

#include <limits.h>
#include <unistd.h>

namespace qm {

std::string ProgramFolder() {
  char buffer[PATH_MAX];
  const ssize_t size = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (size <= 0) return {};
  const std::string self(buffer, static_cast<std::size_t>(size));
  const auto slash = self.rfind('/');
  return slash == std::string::npos ? std::string() : self.substr(0, slash + 1);
}

}  // namespace qm
