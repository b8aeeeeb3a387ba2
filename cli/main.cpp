// quillmere-batch: converts presentations to PNG images from the command line.
// main only parses, gathers the files and shows the run; the batch core
// converts them in job processes.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "base/Paths.h"
#include "cli/CommandLine.h"
#include "cli/ListConversion.h"
#include "cli/ProgressDisplay.h"
#include "cli/TerminalUi.h"
#include "engine/adapter/PresentationChecks.h"
#include "cli/JsonResults.h"
#include "cli/PathListFile.h"
#include "base/Sandbox.h"
#include "engine/batch/StopSignals.h"
#include "filelist/FileList.h"
#include "filelist/FolderImport.h"
#include "filelist/RepeatedFiles.h"

namespace {

constexpr int kExitReports = 1;
constexpr int kExitUsage = 2;

/// The files of the run, in order: those named on the command line and in
/// the --files-from list as they are, and the matching files of the folders
/// among them, whose search names what it leaves out in `skipped`. nullopt,
/// with the sentence in `error`, when the list cannot be read or nothing is
/// left to convert.
std::optional<std::vector<std::string>> GatherFiles(const qm::CommandLine& options,
                                                    qm::SkippedPaths* skipped, std::string* error) {
  using namespace qm;
  ProgressDisplay gathering(stderr, 0, options.quiet);
  TerminalUi gatheringUi(gathering, options.slideText, options.direction, options.verbose);
  std::vector<std::string> paths = options.paths;
  if (!options.filesFrom.empty()) {
    const auto listed =
        ReadPathList(options.filesFrom, options.nulSeparated, StopSignals::Token(), skipped, error);
    if (!listed) return std::nullopt;
    for (const std::string& path : *listed) paths.push_back(AbsoluteFromHere(path));
  }
  FileList files;
  for (const std::string& path : paths) {
    if (FolderExists(path))
      ImportFolder(files, gatheringUi, path, "*." + options.extension, skipped);
    else
      files.AddFileToList(path);
  }
  if (files.FileCount() == 0) {
    *error = "Nothing to convert: no file matches *." + options.extension + " in the folders given.";
    return std::nullopt;
  }
  std::vector<std::string> list;
  for (int i = 1; i <= files.FileCount(); ++i) list.push_back(files.FileAt(i));
  DropRepeatedFiles(list, skipped);
  if (list.empty()) {
    *error = "Nothing to convert: every file named is left out.";
    return std::nullopt;
  }
  return list;
}

/// Writes the run's --json results to standard output. Returns 0, or the
/// exit code of results that did not all arrive, said on standard error:
/// 128 + SIGPIPE when the reader left (the images stand; the record of them
/// does not), 1 for another failed write (a full disk).
int WriteResults(const std::vector<std::string>& list, const qm::ProgressDisplay& display) {
  const int error = qm::WriteJsonResults(stdout, list, display.Records(), display.SkippedRecords());
  if (error == 0) return 0;
  std::fprintf(stderr, "quillmere-batch: the results (--json) could not all be written to standard output: %s.\n",
               std::strerror(error));
  return error == EPIPE ? 128 + SIGPIPE : kExitReports;
}

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
    std::fputs(ConfinementText(Sandbox::Probe()).c_str(), stdout);
    return 0;
  }
  // Without LibreOffice nothing can be converted: say so once.
  if (const auto missing = MissingRendererParts(); !missing.empty()) {
    for (const std::string& sentence : missing) std::fprintf(stderr, "quillmere-batch: %s\n", sentence.c_str());
    return kExitReports;
  }
  // The renderers of the jobs read their ceiling where the variable says.
  if (options->maxMemoryMb > 0 &&
      ::setenv("QUILLMERE_WORKER_MEMORY_MB", std::to_string(options->maxMemoryMb).c_str(), 1) != 0) {
    std::fprintf(stderr, "quillmere-batch: --max-memory cannot be handed to the renderers: %s\n",
                 std::strerror(errno));
    return kExitReports;
  }
  // A file given more time than the renderer's open limit (120 s) may use
  // it all to open: --timeout is what the person allows.
  if (options->timeoutSeconds > 120 && std::getenv("QUILLMERE_OPEN_TIMEOUT") == nullptr &&
      ::setenv("QUILLMERE_OPEN_TIMEOUT", std::to_string(options->timeoutSeconds).c_str(), 1) != 0) {
    std::fprintf(stderr, "quillmere-batch: --timeout cannot be handed to the renderers: %s\n",
                 std::strerror(errno));
    return kExitReports;
  }
  // From here on Ctrl+C, a kill or a closed output pipe cancels the run.
  StopSignals stopSignals;

  SkippedPaths skipped;
  const auto list = GatherFiles(*options, &skipped, &error);
  if (const int signal = StopSignals::Caught(); !list && signal != 0) {
    if (signal != SIGPIPE) std::fputs("quillmere-batch: stopped before converting anything.\n", stderr);
    return 128 + signal;
  }
  if (!list) {
    ProgressDisplay leftOut(stderr, 0, options->quiet);
    for (const SkippedPath& path : skipped) leftOut.Skipped(path);
    std::fprintf(stderr, "quillmere-batch: %s\n", error.c_str());
    return kExitUsage;
  }
  ProgressDisplay display(stderr, static_cast<int>(list->size()), options->quiet);
  display.SetLinksBlocked(!options->allowLinks);
  for (const SkippedPath& path : skipped) display.Skipped(path);
  ConvertList(*options, *list, display, StopSignals::Token());

  if (const int signal = StopSignals::Caught()) {
    if (signal != SIGPIPE) display.Note("quillmere-batch: stopped; no job is left running.");
    if (signal != SIGPIPE && options->json) (void)WriteResults(*list, display);  // the stop's code stands
    return 128 + signal;
  }
  const std::string where = options->beside ? "beside their presentations" : "in " + options->outputFolder;
  const bool allConverted = display.Summarize(where);
  if (options->json) {
    if (const int code = WriteResults(*list, display); code != 0) return code;
  }
  return allConverted ? 0 : kExitReports;
}
