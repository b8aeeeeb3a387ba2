#include "base/ApplicationTitle.h"

namespace qm {

namespace {
std::string& TitleStorage() {
  static std::string title = "Quillmere";
  return title;
}
}  // namespace

std::string ApplicationTitleFrom(const std::string& productName) {
  std::string title = productName;
  do {
    const auto space = title.rfind(' ');
    if (space == std::string::npos) break;
    title.erase(space);
  } while (title.size() > 40);
  return title;
}

const std::string& ApplicationTitle() { return TitleStorage(); }

void SetApplicationTitle(std::string title) { TitleStorage() = std::move(title); }

}  // namespace qm
