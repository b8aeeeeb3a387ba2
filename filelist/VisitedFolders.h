#pragma once
// The folder scan's memory of where it has been, so that symbolic links can
// neither make it loop nor make it list one folder twice.
//
// Two rules, both needed:
//  - Every folder taken is claimed by its device and inode; a folder already
//    claimed (reached again through a link, a bind mount or a second link to
//    the same place) is not taken again.
//  - A link is followed only when its real target lies outside every seed's
//    tree and is not an ancestor of a seed. A link back into the tree would
//    otherwise, depending on the listing order, take a folder under the
//    link's name instead of its own; a link to an ancestor would widen the
//    scan to everything around the chosen folder. A link to a folder
//    elsewhere is followed, once.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

namespace qm {

class VisitedFolders {
 public:
  /// Remembers a seed folder of the scan (with or without a trailing "/"):
  /// claims it and keeps its real path for the link rule. A seed that cannot
  /// be reached is ignored.
  void AddSeed(const std::string& folder);

  /// Claims the folder whose status is `status`. Returns true when it was not
  /// claimed before (the caller takes it), false when it was.
  bool Claim(const struct stat& status);

  /// True when the symbolic link at `linkPath`, which leads to a folder, may
  /// be followed under the rule above. False also when its target cannot be
  /// resolved.
  bool MayFollowLink(const std::string& linkPath) const;

 private:
  struct Identity {
    dev_t device;
    ino_t inode;
    bool operator==(const Identity&) const = default;
  };
  struct IdentityHash {
    std::size_t operator()(const Identity& id) const {
      return std::hash<unsigned long long>()(static_cast<unsigned long long>(id.inode) * 31u +
                                             static_cast<unsigned long long>(id.device));
    }
  };

  std::unordered_set<Identity, IdentityHash> claimed_;
  std::vector<std::string> seedRealPaths_;
};

}  // namespace qm
