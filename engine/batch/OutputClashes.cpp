#include "engine/batch/OutputClashes.h"

#include "base/Paths.h"

namespace qm {

std::optional<OutputClashes::Clash> OutputClashes::Note(const FileTask& task,
                                                        const std::vector<std::string>& images) {
  const std::string& source = task.path;
  std::optional<FileTask> earlier;
  std::string first;
  int count = 0;
  for (const std::string& image : images) {
    auto [it, added] = writerOf_.emplace(ResolvedPath(image), task);
    if (added || it->second.position == task.position) continue;
    if (count++ == 0) {
      earlier = it->second;
      first = image;
    }
    it->second = task;
  }
  if (count == 0) return std::nullopt;
  return Clash{source + " wrote " + std::to_string(count) + " image(s) that " + earlier->path +
                   " had written earlier in this run (" + FileNamePart(first) +
                   (count > 1 ? " and others" : "") + "); they now show " +
                   FileNamePart(source) +
                   ". Give the two files different names or convert them into different folders.",
               *earlier};
}

}  // namespace qm
