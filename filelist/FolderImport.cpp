#include "filelist/FolderImport.h"

#include "base/ErrorTrap.h"
#include "filelist/FileAttributes.h"
#include "filelist/FileList.h"
#include "filelist/FolderFiles.h"
#include "filelist/FolderScan.h"
#include "base/Paths.h"
#include "base/Ui.h"

namespace qm {

namespace {

/// PushButton5_Click's lines run here. They follow those of the command's
/// earlier steps (100 to 118), which the window runs before ImportFolder.
enum ImportLine : int {
  kImportLineScan = 120,
  kImportLineFolder = 122,
  kImportLinePointer = 124,
};

/// ListView1_OLEDragDrop's lines: the whole drop runs here.
enum DropLine : int {
  kDropLinePath = 100,
  kDropLineScan = 102,
  kDropLineFolder = 104,
};

// Appends the matching files of the tree under `folder`, reporting through
// `trap` with the given line numbers.
void GatherTree(FileList& list, ErrorTrap& trap, const std::string& folder,
                const std::string& pattern, int lineScan, int lineFolder, SkippedPaths* skipped) {
  FolderCollection folders;
  trap.Step(lineScan, [&] {
    folders.push_back(folder + "/");
    GetSubDirectories2016(trap.ui(), folders, true, skipped);
  });
  for (const std::string& entry : folders) {
    trap.Step(lineFolder, [&] {
      const std::string base = entry.substr(0, entry.size() - 1);  // without its trailing "/"
      // ListFolderFiles has just applied FileIsOpenable to base + "/" + name,
      // the very path formed below, so the test is not repeated per file.
      for (const FolderFile& file : ListFolderFiles(base, pattern, skipped)) {
        if (file.name.front() == '~') {  // office lock and temporary files
          if (skipped != nullptr)
            skipped->push_back({base + "/" + file.name, "an Office lock or temporary file (its name starts with ~)"});
          continue;
        }
        if (file.attributes == kAttributeHiddenArchive) {
          if (skipped != nullptr) skipped->push_back({base + "/" + file.name, "a hidden file"});
          continue;
        }
        list.AddFileToList(CollapseSeparators(base + "/" + file.name));
      }
    });
  }
}

}  // namespace

std::string ImportSearchPattern(const std::string& extension) { return "*." + extension; }

void ImportFolder(FileList& list, Ui& ui, const std::string& folder, const std::string& pattern,
                  SkippedPaths* skipped) {
  ErrorTrap trap(ui, "Form1", "PushButton5_Click");
  GatherTree(list, trap, folder, pattern, kImportLineScan, kImportLineFolder, skipped);
  trap.Step(kImportLinePointer, [&] { ui.SetPointer(Pointer::Default); });
}

void AddDroppedPaths(FileList& list, Ui& ui, const std::vector<std::string>& paths) {
  ErrorTrap trap(ui, "Form1", "ListView1_OLEDragDrop");
  for (const std::string& path : paths) {
    trap.Step(kDropLinePath, [&] {
      if (FolderExists(path)) {
        GatherTree(list, trap, path, "*.*", kDropLineScan, kDropLineFolder, nullptr);
      } else {
        list.AddFileToList(path);
      }
    });
  }
}

}  // namespace qm
