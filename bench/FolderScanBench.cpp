// Times the folder import of a large tree against find(1) on the same tree.
//
//   quillmere-scan-bench [--folders N] [--files-per-folder M] [--runs R] [--tree DIR]
//
// Without --tree it builds a tree of N folders (default 10,000; ten
// sub-folders per folder, level by level) with M files each (default 10, so
// 100,000 files of mixed kinds) in a temporary folder, and removes it at the
// end. With --tree it times that existing tree and leaves it alone.
// Each measurement is taken R times (default 5) after one warm-up run of
// each, alternating the two, and the median is printed.

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "filelist/FileList.h"
#include "filelist/FolderImport.h"
#include "base/Ui.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A front end that only counts the yields; a person never sees anything.
class CountingUi : public qm::Ui {
 public:
  long yields = 0;
  long messages = 0;
  qm::MessageAnswer Message(const std::string& text, qm::MessageButtons, qm::MessageIcon,
                            const std::string&) override {
    ++messages;
    std::cerr << "report: " << text << "\n";
    return qm::MessageAnswer::Ok;
  }
  std::optional<std::string> InputBox(const std::string&, const std::string&,
                                      const std::string&) override {
    return std::nullopt;
  }
  short ChooseStitchDirection() override { return qm::kTopToBottom; }
  void SetProgressValue(int) override {}
  void SetProgressText(const std::string&) override {}
  void SetPointer(qm::Pointer pointer) override { pointer_ = pointer; }
  qm::Pointer CurrentPointer() const override { return pointer_; }
  void Yield() override { ++yields; }

 private:
  qm::Pointer pointer_ = qm::Pointer::Default;
};

// The kinds of file every folder gets, in turn; the pattern "*.ppt*" matches
// six of them, of which the import keeps four (not the dot-file nor "~").
const char* const kKinds[] = {"deck%d.pptx", "old%d.ppt",     "macro%d.pptm", "Report%d.PPTX",
                              ".hidden%d.pptx", "~$lock%d.pptx", "notes%d.txt", "picture%d.png",
                              "readme%d",    "sheet%d.xlsx"};

bool MakeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

// Builds `folderCount` folders below `root` (root included), ten per parent,
// with `filesPerFolder` files each. Returns the number of files made.
long BuildTree(const std::string& root, long folderCount, int filesPerFolder) {
  std::vector<std::string> queue{root};
  long made = 1;
  long files = 0;
  char name[64];
  for (std::size_t i = 0; i < queue.size(); ++i) {
    const std::string folder = queue[i];
    for (int f = 0; f < filesPerFolder; ++f) {
      std::snprintf(name, sizeof name, kKinds[f % 10], f);
      if (MakeFile(folder + "/" + name)) ++files;
    }
    for (int c = 0; c < 10 && made < folderCount; ++c, ++made) {
      std::snprintf(name, sizeof name, "folder%d", c);
      const std::string child = folder + "/" + name;
      if (::mkdir(child.c_str(), 0755) != 0) {
        std::cerr << "Cannot make the folder " << child << ": " << std::strerror(errno) << "\n";
        return files;
      }
      queue.push_back(child);
    }
  }
  return files;
}

// Runs find on `tree` and counts the lines it prints. Returns the seconds taken,
// or a negative value when find could not be run.
double TimeFind(const std::string& tree, long& lines) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  std::vector<std::string> args{"find", tree, "-iname", "*.ppt*"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  const auto start = Clock::now();
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, "find", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  if (spawned != 0) {
    ::close(pipeFds[0]);
    return -1;
  }
  lines = 0;
  char buffer[65536];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
    lines += std::count(buffer, buffer + n, '\n');
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return (WIFEXITED(status) && WEXITSTATUS(status) == 0) ? seconds : -1;
}

// Imports `tree` with the default pattern. Returns the seconds taken.
double TimeImport(const std::string& tree, long& rows, long& yields) {
  qm::FileList list;
  CountingUi ui;
  const auto start = Clock::now();
  qm::ImportFolder(list, ui, tree, qm::ImportSearchPattern("ppt*"));
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  rows = list.FileCount();
  yields = ui.yields;
  return seconds;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  long folders = 10000;
  int filesPerFolder = 10;
  int runs = 5;
  std::string tree;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--folders" && hasValue) {
      folders = std::atol(argv[++i]);
    } else if (arg == "--files-per-folder" && hasValue) {
      filesPerFolder = std::atoi(argv[++i]);
    } else if (arg == "--runs" && hasValue) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--tree" && hasValue) {
      tree = argv[++i];
    } else {
      std::cerr << "usage: quillmere-scan-bench [--folders N] [--files-per-folder M] [--runs R]"
                   " [--tree DIR]\n";
      return 2;
    }
  }

  const bool ownTree = tree.empty();
  if (ownTree) {
    std::string pattern = (std::filesystem::temp_directory_path() / "qm-scan-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
      std::cerr << "Cannot make a temporary folder for the tree: " << std::strerror(errno) << "\n";
      return 1;
    }
    tree = pattern;
    const auto start = Clock::now();
    const long files = BuildTree(tree, folders, filesPerFolder);
    std::printf("built %ld folders with %ld files in %s (%.1f s)\n", folders, files, tree.c_str(),
                std::chrono::duration<double>(Clock::now() - start).count());
  }

  long rows = 0, yields = 0, findLines = 0;
  TimeImport(tree, rows, yields);  // warm-up: both start from a warm cache
  if (TimeFind(tree, findLines) < 0) std::cerr << "find could not be run\n";
  std::vector<double> ours, finds;
  for (int r = 0; r < runs; ++r) {
    ours.push_back(TimeImport(tree, rows, yields));
    const double f = TimeFind(tree, findLines);
    if (f >= 0) finds.push_back(f);
  }

  const double ourTime = Median(ours);
  std::printf("import  : %8.3f s  median of %d, %ld rows, %ld yields\n", ourTime, runs, rows, yields);
  if (!finds.empty()) {
    const double findTime = Median(finds);
    std::printf("find    : %8.3f s  median of %zu, %ld lines (also dot-files and \"~\" names)\n",
                findTime, finds.size(), findLines);
    std::printf("ratio   : %8.2f  (import / find)\n", ourTime / findTime);
  }

  if (ownTree) {
    const auto start = Clock::now();
    std::error_code ignored;
    std::filesystem::remove_all(tree, ignored);
    std::printf("removed the tree (%.1f s)\n",
                std::chrono::duration<double>(Clock::now() - start).count());
  }
  return 0;
}
