#include "base/OfficeLocation.h"

#include <cstdlib>

namespace qm {

std::string OfficeProgramFolder() {
  const char* value = std::getenv(kOfficeProgramVariable);
  return value != nullptr && *value != '\0' ? value : kDefaultOfficeProgramFolder;
}

}  // namespace qm
