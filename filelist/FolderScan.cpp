#include "filelist/FolderScan.h"

#include <errno.h>
#include <sys/stat.h>

#include <algorithm>

#include "base/ErrorTrap.h"
#include "filelist/FolderReader.h"
#include "filelist/NameSafety.h"
#include "base/Paths.h"
#include "base/Ui.h"
#include "filelist/VisitedFolders.h"

namespace qm {

namespace {

/// GetSubDirectories2016's step lines, as its error report quotes them.
enum Line : int {
  kRememberSeeds = 100,
  kListSeed = 102,
  kListDeeper = 104,
  kAppendFound = 106,
};

// How the listing of one folder's sub-folders ended.
enum class Listing {
  NotAFolder,  ///< the path is not (or no longer) an existing folder
  Complete,
  Gone,    ///< access denied or the folder vanished: the folder is removed
  Broken,  ///< any other failure: the folder stays
};

Listing FromErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case ENOENT:
    case ENOTDIR:
      return Listing::Gone;
    default:
      return Listing::Broken;
  }
}

bool WithinPathLimit(const std::string& folder) { return folder.size() < kMaxFolderPathBytes; }

// Lists the sub-folders of `folder` (which ends in "/") and appends the ones
// taken to `found` as folder + name + "/". Yields once the folder is open.
Listing ListSubFolders(Ui& ui, const std::string& folder, VisitedFolders& visited,
                       FolderCollection& found, SkippedPaths* skipped) {
  FolderReader reader(folder);
  if (!reader.Opened()) {
    const int error = reader.Error();
    return (error == ENOENT || error == ENOTDIR) ? Listing::NotAFolder : FromErrno(error);
  }
  ui.Yield();
  while (reader.Next()) {
    // Only folders, and links that lead to folders, are sub-folders; the
    // entry type spares a status call for plain files.
    if (!reader.MayBeFolder()) continue;
    struct stat status{};
    bool isLink = false;
    if (!reader.Resolve(status, isLink) || !S_ISDIR(status.st_mode)) continue;

    ui.Yield();
    const char* name = reader.Name();
    if (HasUnsafeNameChars(name)) {
      if (skipped != nullptr) skipped->push_back({folder + name + "/", UnsafeNameReason(name)});
      continue;
    }
    std::string path = folder + name;
    if (!WithinPathLimit(path + '/')) {
      // No call takes a path this long: the folder's files cannot be opened.
      if (skipped != nullptr)
        skipped->push_back({path + "/", OverlongPathReason(path.size() + 1)});
      continue;
    }
    if (isLink && !visited.MayFollowLink(path)) continue;
    if (!visited.Claim(status)) continue;
    path += '/';
    found.push_back(std::move(path));
  }
  return reader.Error() == 0 ? Listing::Complete : FromErrno(reader.Error());
}

// Removes the first entry of `folders` that equals `folder`, if any.
void RemoveFirst(FolderCollection& folders, const std::string& folder) {
  const auto it = std::find(folders.begin(), folders.end(), folder);
  if (it != folders.end()) folders.erase(it);
}

}  // namespace

void GetSubDirectories2016(Ui& ui, FolderCollection& folders, bool recurse,
                           SkippedPaths* skipped) {
  ErrorTrap trap(ui, "AddFolder", "GetSubDirectories2016", kBrindleTagPrefix);
  VisitedFolders visited;
  trap.Step(kRememberSeeds, [&] {
    for (const std::string& seed : folders) visited.AddSeed(seed);
  });

  // The new folders of every level, one after the other: listing them in
  // order as a queue yields exactly the level-by-level order, each level in
  // the order of its parents.
  FolderCollection found;
  std::vector<bool> removed;

  const FolderCollection seeds = folders;
  for (const std::string& seed : seeds) {
    trap.Step(kListSeed, [&] {
      // A seed that is no folder stays in the collection, unlisted; one that
      // vanishes between this test and its listing counts as not found.
      if (!WithinPathLimit(seed) || !FolderExists(seed)) return;
      const Listing listing = ListSubFolders(ui, seed, visited, found, skipped);
      if (listing == Listing::Gone || listing == Listing::NotAFolder) RemoveFirst(folders, seed);
    });
  }

  if (recurse) {
    for (std::size_t i = 0; i < found.size(); ++i) {
      trap.Step(kListDeeper, [&] {
        const std::string folder = found[i];  // a copy: the listing appends to `found`
        if (!WithinPathLimit(folder)) return;
        // A folder found here that is no longer one is skipped; the final
        // existence test below leaves it out, just as a removal would.
        if (ListSubFolders(ui, folder, visited, found, skipped) == Listing::Gone) {
          removed.resize(found.size());
          removed[i] = true;
        }
      });
    }
  }
  removed.resize(found.size());

  for (std::size_t i = 0; i < found.size(); ++i) {
    trap.Step(kAppendFound, [&] {
      if (removed[i] || !FolderExists(found[i])) return;
      ui.Yield();
      folders.push_back(std::move(found[i]));
    });
  }
}

}  // namespace qm
