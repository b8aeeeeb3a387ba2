#pragma once
// A folder tree for one test, built in a private temporary folder and
// removed with it. Paths are given relative to the tree's root with "/".

#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

namespace qm::test {

class TestTree {
 public:
  /// The root's path, without a trailing "/".
  std::string Root() const { return temp_.Path(); }
  /// Root() + "/" + relative.
  std::string operator/(const std::string& relative) const { return Root() + "/" + relative; }

  /// Makes the folder `relative` and any missing parents. Throws on failure.
  void Folder(const std::string& relative) const;
  /// Makes an empty file `relative`, and its missing parent folders. Throws on failure.
  void File(const std::string& relative) const;
  /// Makes each of `relatives` as a file.
  void Files(const std::vector<std::string>& relatives) const;
  /// Makes a symbolic link `relative` whose content is `target` (used as given). Throws on failure.
  void Link(const std::string& relative, const std::string& target) const;
  /// Sets the permission bits of `relative`. Throws on failure.
  void Mode(const std::string& relative, unsigned mode) const;
  /// Removes `relative` with everything below it.
  void Remove(const std::string& relative) const;

 private:
  TempFolder temp_;
};

}  // namespace qm::test
