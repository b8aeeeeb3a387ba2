#include "filelist/SampleFiles.h"

#include "base/Paths.h"
#include "base/ProgramFolder.h"
#include "filelist/FileList.h"
#include "filelist/FolderFiles.h"

namespace qm {

std::string SamplesFolder() { return DataFolder() + "Samples"; }

int AddSampleFiles(FileList& list, const std::string& folder) {
  int added = 0;
  for (const std::string& name : ListFilesInFolder(folder, "*.*")) {
    const std::string path = folder + "/" + name;
    if (!FileExists(path) || list.ListContains(path)) continue;
    list.AddFileToList(path);
    ++added;
  }
  return added;
}

}  // namespace qm
