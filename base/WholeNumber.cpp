#include "base/WholeNumber.h"

#include <cerrno>
#include <cstdlib>

namespace qm {

std::optional<int> WholeNumber(const std::string& text, long low, long high) {
  char* end = nullptr;
  errno = 0;
  const long number = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || number < low || number > high) return std::nullopt;
  return static_cast<int>(number);
}

}  // namespace qm
