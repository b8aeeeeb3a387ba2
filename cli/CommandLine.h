#pragma once
// quillmere-batch's options, parsed and checked before anything is converted.

#include <optional>
#include <string>
#include <vector>

#include "base/Sandbox.h"
#include "engine/export/ConversionRequest.h"
#include "engine/export/SaveModes.h"

namespace qm {

struct CommandLine {
  SaveMode mode = SaveMode::kEachSlide;
  std::string slideText;          ///< --slide as typed (numeric), for the x mode
  short direction = 1;            ///< 1 top to bottom, 2 left to right
  std::string outputFolder;       ///< --output, or the current folder
  bool beside = false;            ///< --beside
  std::string extension = "ppt*"; ///< for folder arguments: "*." + extension
  int jobs = 1;                   ///< files converted at once
  bool quiet = false;
  bool verbose = false;           ///< --verbose: every report in full
  bool help = false;
  bool version = false;
  bool allowLinks = false;        ///< --allow-links: the renderer may fetch linked pictures
  ConversionRequest request;      ///< --slides, -f, -l, --pad, sizes, --type, --quality
  std::string filesFrom;          ///< --files-from: a file of paths, "-" standard input; "" none
  bool nulSeparated = false;      ///< -0: that list is NUL-separated
  int maxMemoryMb = 0;            ///< --max-memory: per renderer; 0 the default
  int timeoutSeconds = 0;         ///< --timeout: per file; 0 none
  bool json = false;              ///< --json: results as JSON lines on standard output
  std::vector<std::string> paths; ///< files and folders, in the order given
};

/// `path` made absolute against the current folder, separators collapsed;
/// nothing else about it changes (no link is followed).
std::string AbsoluteFromHere(const std::string& path);

/// The usage text printed by --help.
std::string UsageText();

/// What --version says of the renderer's confinement: one line per layer,
/// active or why not.
std::string ConfinementText(const Sandbox::Layers& layers);

/// Parses `args` (without the program name). Returns the options, or nullopt
/// with `error` set to a sentence saying what is wrong (a usage error). The
/// output folder must exist; --slide must be numeric; at least one path is
/// needed unless --help or --version is given.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string* error);

}  // namespace qm
