#pragma once
// Images of one run that a later file writes again.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/batch/FileTask.h"

namespace qm {

/// Remembers which file of the run wrote each image. Two files can write the
/// same names (deck.ppt and deck.pptx into one folder, or two folders' decks
/// of one name into one output folder); the later file's images replace the
/// earlier ones, as the names promise, but never silently.
class OutputClashes {
 public:
  /// What a clash means for the run.
  struct Clash {
    std::string sentence;  ///< to report for the later file
    FileTask earlier;      ///< the file whose images were replaced: not converted any more
  };

  /// Notes that `task` wrote `images` (compared where they really are, so
  /// "d/x.png" and "d/./x.png" are one image). Returns the clash when some of
  /// them were written by an earlier file of the run; nullopt otherwise.
  std::optional<Clash> Note(const FileTask& task, const std::vector<std::string>& images);

 private:
  std::map<std::string, FileTask> writerOf_;
};

}  // namespace qm
