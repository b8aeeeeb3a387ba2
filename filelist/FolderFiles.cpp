#include "filelist/FolderFiles.h"

#include <unistd.h>

#include <sys/stat.h>

#include "filelist/FileAttributes.h"
#include "filelist/FilePattern.h"
#include "filelist/FolderReader.h"
#include "base/Utf8.h"

namespace qm {

std::vector<FolderFile> ListFolderFiles(const std::string& folder, const std::string& pattern,
                                        SkippedPaths* skipped) {
  std::vector<FolderFile> files;
  const std::string base = (!folder.empty() && folder.back() == '/') ? folder : folder + "/";
  // A folder path the locale cannot represent makes every path below it
  // fail the open test; no need to look.
  if (!IsValidUtf8(base)) return files;
  FolderReader reader(base);
  const FilePattern match(pattern);
  // In a folder that can be read but not entered, no file can be opened,
  // whatever the listing says: every entry goes through the status test.
  const bool enterable = ::access(base.c_str(), X_OK) == 0;
  // A read failure ends the listing; what was found so far stands.
  while (reader.Next()) {
    if (reader.IsPlainFolder()) continue;
    const char* name = reader.Name();
    if (!match.Matches(name)) continue;
    if (!IsValidUtf8(name)) {
      if (skipped != nullptr) skipped->push_back({base + name, UnsafeNameReason(name)});
      continue;
    }
    // The open test of FileIsOpenable. An entry the folder itself reports as
    // a regular file has just been seen to exist and is no folder; anything
    // else (links, entries of unknown type) is resolved, relative to the
    // open folder, with the one status call that opening without access
    // rights amounts to.
    if (enterable && reader.IsPlainFile()) {
      files.push_back({name, AttributesFrom(name, false, S_IFREG)});
      continue;
    }
    struct stat status{};
    bool isLink = false;
    if (!reader.Resolve(status, isLink) || S_ISDIR(status.st_mode)) continue;
    files.push_back({name, AttributesFrom(name, isLink, status.st_mode)});
  }
  return files;
}

std::vector<std::string> ListFilesInFolder(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  for (FolderFile& file : ListFolderFiles(folder, pattern)) names.push_back(std::move(file.name));
  return names;
}

bool FileIsOpenable(const std::string& path) {
  struct stat status{};
  return !path.empty() && IsValidUtf8(path) && ::stat(path.c_str(), &status) == 0 &&
         !S_ISDIR(status.st_mode);
}

}  // namespace qm
