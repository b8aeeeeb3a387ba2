#pragma once
// Images of one run that a later file writes again.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qm {

/// Remembers which file of the run wrote each image. Two files can write the
/// same names (deck.ppt and deck.pptx into one folder, or two folders' decks
/// of one name into one output folder); the later file's images replace the
/// earlier ones, as the names promise, but never silently.
class OutputClashes {
 public:
  /// Notes that `source` wrote `images`. Returns the sentence to report for
  /// `source` when some of them were written by an earlier file of the run;
  /// nullopt otherwise.
  std::optional<std::string> Note(const std::string& source, const std::vector<std::string>& images);

 private:
  std::map<std::string, std::string> writerOf_;
};

}  // namespace qm
