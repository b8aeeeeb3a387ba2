#include "engine/batch/OutputClashes.h"

#include "base/Paths.h"

namespace qm {

std::optional<std::string> OutputClashes::Note(const std::string& source,
                                               const std::vector<std::string>& images) {
  std::string earlier, first;
  int count = 0;
  for (const std::string& image : images) {
    auto [it, added] = writerOf_.emplace(image, source);
    if (added || it->second == source) continue;
    if (count++ == 0) {
      earlier = it->second;
      first = image;
    }
    it->second = source;
  }
  if (count == 0) return std::nullopt;
  return source + " wrote " + std::to_string(count) + " image(s) that " + earlier +
         " had written earlier in this run (" + FileNamePart(first) +
         (count > 1 ? " and others" : "") + "); they now show " + FileNamePart(source) +
         ". Give the two files different names or convert them into different folders.";
}

}  // namespace qm
