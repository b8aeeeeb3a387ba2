// quillmere-batch: converts presentations to PNG images from the command line.
// main only parses, gathers the files and shows the run; the batch core
// converts them in job processes.

#include <cstdio>
#include <string>
#include <vector>

#include "base/Paths.h"
#include "cli/CommandLine.h"
#include "cli/ProgressDisplay.h"
#include "cli/TerminalUi.h"
#include "engine/adapter/LibreOfficeApplicationFactory.h"
#include "engine/batch/BatchRun.h"
#include "engine/batch/JobRunner.h"
#include "engine/batch/ListRunOptions.h"
#include "engine/batch/StopSignals.h"
#include "filelist/FileList.h"
#include "filelist/FolderImport.h"
#include "imaging/writers/SaveAsAny.h"

namespace {

constexpr int kExitReports = 1;
constexpr int kExitUsage = 2;

}  // namespace

int main(int argc, char** argv) {
  using namespace qm;
  std::string error;
  const auto options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), &error);
  if (!options) {
    std::fprintf(stderr, "quillmere-batch: %s\n", error.c_str());
    return kExitUsage;
  }
  if (options->help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (options->version) {
    std::printf("quillmere-batch %s\n", QM_VERSION);
    return 0;
  }
  // From here on Ctrl+C, a kill or a closed output pipe cancels the run.
  StopSignals stopSignals;

  // Files named directly are taken as they are; folders are searched.
  ProgressDisplay display(stderr, 0, options->quiet);
  TerminalUi terminal(display, options->slideText, options->direction);
  FileList files;
  for (const std::string& path : options->paths) {
    if (FolderExists(path))
      ImportFolder(files, terminal, path, "*." + options->extension);
    else
      files.AddFileToList(path);
  }
  if (files.FileCount() == 0) {
    std::fprintf(stderr, "quillmere-batch: Nothing to convert: no file matches *.%s in the folders given.\n",
                 options->extension.c_str());
    return kExitUsage;
  }
  std::vector<std::string> list;
  for (int i = 1; i <= files.FileCount(); ++i) list.push_back(files.FileAt(i));

  ProgressDisplay runDisplay(stderr, files.FileCount(), options->quiet);
  TerminalUi ui(runDisplay, options->slideText, options->direction);
  ListRunOptions runOptions(list, options->modeText, options->outputFolder, options->beside);
  // Only asked whether a presentation application is running: starts no renderer.
  LibreOfficeApplicationFactory probe;
  JobRunner runner(DefaultJobPath(), options->jobs);
  BatchRun run(probe, ui, runOptions);
  run.SetJobRunner(&runner);
  run.SetObserver(&runDisplay);
  run.SetGdiStartFailed(!StartGdiPlus());
  run.Start();
  StopGdiPlus();
  runDisplay.Finish();

  if (const int signal = StopSignals::Caught()) {
    if (signal != SIGPIPE) std::fprintf(stderr, "quillmere-batch: stopped; no job is left running.\n");
    return 128 + signal;
  }
  const int failed = runDisplay.WithReports() + runDisplay.NotConverted();
  if (!options->quiet) {
    const std::string where = options->beside ? "beside their presentations" : "in " + options->outputFolder;
    std::fprintf(stderr, "Done: %d of %d file(s) converted, %d with reports, %d not converted. The images are %s.\n",
                 runDisplay.Converted(), files.FileCount(), runDisplay.WithReports(),
                 runDisplay.NotConverted(), where.c_str());
  }
  return failed == 0 ? 0 : kExitReports;
}
