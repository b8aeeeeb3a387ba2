#include "filelist/ChosenFiles.h"

#include "base/Paths.h"

namespace qm {

std::size_t SelectionLength(const std::vector<std::string>& paths) {
  if (paths.empty()) return 0;
  if (paths.size() == 1) return paths.front().size() + 2;
  const std::string folder = FolderPart(CollapseSeparators(paths.front()));
  std::size_t length = (folder.size() > 1 ? folder.size() - 1 : folder.size()) + 1;
  for (const std::string& path : paths) length += FileNamePart(path).size() + 1;
  return length + 1;
}

bool SelectionFits(const std::vector<std::string>& paths) {
  return SelectionLength(paths) <= kMaxSelectionLength;
}

std::vector<std::string> ChosenFileRows(const std::vector<std::string>& paths) {
  if (paths.size() == 1) return paths;
  std::vector<std::string> rows;
  rows.reserve(paths.size());
  for (const std::string& path : paths)
    rows.push_back(CollapseSeparators(FolderPart(path) + "/" + FileNamePart(path)));
  return rows;
}

}  // namespace qm
