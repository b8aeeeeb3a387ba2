// quillmere-batch: converts presentations to PNG images from the command line.
// main only parses, gathers the files and hands them to the jobs.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "filelist/FileList.h"
#include "filelist/FolderImport.h"
#include "cli/JobPlan.h"
#include "cli/JobRunner.h"
#include "engine/adapter/LibreOfficeApplicationFactory.h"
#include "base/Paths.h"
#include "engine/adapter/PresentationChecks.h"
#include "cli/ProgressDisplay.h"
#include "cli/TerminalUi.h"

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

  // Files named directly are taken as they are; folders are searched.
  TerminalUi terminal(stderr);
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

  LibreOfficeApplicationFactory probe;
  if (WarnIfPowerPointOpen(probe, terminal)) return kExitReports;

  std::vector<std::string> list;
  for (int i = 1; i <= files.FileCount(); ++i) list.push_back(files.FileAt(i));
  const auto shares = PlanJobs(list, options->jobs, options->beside);

  ProgressDisplay display(stderr, files.FileCount(), options->quiet);
  const bool ok = RunJobs(
      shares, *options, [] { return std::make_unique<LibreOfficeApplicationFactory>(); }, display);
  display.Finish();
  if (!options->quiet) {
    const std::string where = options->beside ? "beside their presentations" : "in " + options->outputFolder;
    std::fprintf(stderr, "Done: %d file(s), %d report(s). The images are %s.\n", files.FileCount(),
                 display.Reports(), where.c_str());
  }
  return ok ? 0 : kExitReports;
}
