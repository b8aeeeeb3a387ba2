#pragma once
// Output folders opened once, and written through what was opened.
//
// A run writes many images into one folder by name. Should somebody swap
// that folder for a symbolic link while the run goes on, every later image
// would follow the link elsewhere. A job holds each folder it writes into
// from its first task on, and builds every image's path through the held
// handle ("/proc/self/fd/N/name"), so the folder the run started with is the
// one written, whatever its name leads to later.

#include <string>

namespace qm {

class HeldFolders {
 public:
  /// Opens `folder` (links followed, now: a folder the person named through
  /// a link is the link's folder) and holds it until ReleaseAll(); at most
  /// 64 at once, the longest held let go first. A folder already held, or
  /// one that cannot be opened, is left as it is. "" is the current folder.
  static void Hold(const std::string& folder);

  /// `path` (a file in a folder, or a folder ending in "/") through the
  /// handle of its folder when that folder is held, in the same normal form
  /// ("out//a.png" and "out/./a.png" are in "out"); else `path` unchanged.
  static std::string Through(const std::string& path);

  /// Closes every held folder.
  static void ReleaseAll();
};

}  // namespace qm
