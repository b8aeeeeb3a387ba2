#include "cli/CommandLine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <thread>

#include "engine/batch/BatchRun.h"
#include "engine/batch/JobRunner.h"
#include "base/Paths.h"
#include "base/Sandbox.h"
#include "cli/CommandLineOptions.h"
#include "cli/OptionArgument.h"
#include "cli/OptionState.h"
#include "engine/export/SaveModes.h"

namespace qm {

std::string UsageText() {
  return "Usage: quillmere-batch [OPTIONS] PATH...\n"
         "Converts presentations (.ppt, .pptx, .pptm, ...) into PNG images.\n"
         "\n" +
         OptionsHelp() +
         "\n"
         "Decks may come from anyone, so the renderer runs offline and reads nothing but\n"
         "the deck: in a network namespace of its own, under a Landlock rule set, and with\n"
         "LibreOffice's linked content blocked. A linked picture shows as missing. Layers\n"
         "this system lacks are left out and the others still hold; --version lists them.\n"
         "\n"
         "Exit status: 0 when every file converted without a report, 1 when any file got a\n"
         "report, 2 for a usage error, 128 + N when signal N (Ctrl+C: 130) stopped the run.\n";
}

namespace {

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof buffer) ? buffer : ".";
}

}  // namespace

/// `path` made absolute against the current folder, separators collapsed;
/// nothing else about it changes (no link is followed).
std::string AbsoluteFromHere(const std::string& path) {
  if (!path.empty() && path[0] == '/') return CollapseSeparators(path);
  return CollapseSeparators(CurrentFolder() + "/" + path);
}

std::string ConfinementText(const Sandbox::Layers& layers) {
  std::string text = "The renderer's confinement on this system (unless --allow-links):\n";
  text += layers.network ? "  network namespace: active (no connection of any kind)\n"
                         : "  network namespace: not available (user namespaces are turned off)\n";
  if (layers.landlock > 0) {
    text += "  Landlock (ABI " + std::to_string(layers.landlock) +
            "): active (reads only the deck, LibreOffice, fonts and system files" +
            (layers.landlock >= 4 ? "; no TCP connection)\n" : ")\n");
  } else {
    text += "  Landlock: not available (the kernel has none)\n";
  }
  text += "  system call filter: no Unix socket can be made (none at a path is reached)\n";
  text += "  LibreOffice: active (linked content blocked, no host allowed)\n";
  // Set to try layers alone, the variable overrides all of the above.
  const char* chosen = std::getenv("QUILLMERE_CONFINEMENT");
  if (chosen != nullptr && *chosen != '\0') {
    text += std::string("  but QUILLMERE_CONFINEMENT=") + chosen +
            " is set: the renderer enters only the layers it names, and refuses to start when it"
            " names something else\n";
  }
  return text;
}

namespace {

/// The checks between request options, and between them and the mode.
bool CheckRequest(CommandLine& cl, const OptionState& state, std::string* error) {
  const auto failed = [&](const std::string& message) {
    *error = message;
    return false;
  };
  if (state.firstSlide != 0 || state.lastSlide != 0) {
    if (state.slidesGiven) return failed("Use either --slides or -f/-l, not both.");
    if (state.lastSlide != 0 && state.lastSlide < std::max(state.firstSlide, 1))
      return failed("The last slide (" + std::to_string(state.lastSlide) + ") comes before the first (" +
                  std::to_string(std::max(state.firstSlide, 1)) + ").");
    cl.request.slides = {{std::max(state.firstSlide, 1), state.lastSlide}};
  }
  const int sizings = (cl.request.dpi > 0) + (cl.request.scaleTo > 0) +
                      (cl.request.width > 0 || cl.request.height > 0);
  if (sizings > 1) return failed("Give one size: --resolution, --scale-to, or --width and/or --height.");
  if (cl.request.gridColumns > 0 && cl.mode != SaveMode::kAllSlides)
    return failed("--grid is for --mode all.");
  if (state.gridLookGiven && cl.request.gridColumns == 0) return failed("--gap and --background are for --grid.");
  if (cl.request.quality > 0 && cl.request.type == ImageType::kPng)
    return failed("--quality is for --type jpeg or webp; PNG is lossless.");
  if (cl.request.transparent && cl.request.type == ImageType::kJpeg)
    return failed("--transparent is for --type png or webp; a JPEG holds no transparency.");
  if (cl.request.transparent && cl.mode == SaveMode::kAllSlides)
    return failed("--transparent is not for --mode all: a joined image lays its slides on a canvas.");
  if (cl.request.type != ImageType::kPng && cl.mode == SaveMode::kAllSlides)
    return failed("A joined image (--mode all) is always PNG; --type is for the other modes.");
  if ((!cl.request.slides.empty() || cl.request.padNumbers || cl.request.skipHidden) &&
      cl.mode != SaveMode::kEachSlide)
    return failed("--slides, -f, -l, --pad and --skip-hidden are for --mode each.");
  if (cl.request.steps && cl.mode != SaveMode::kEachSlide)
    return failed("--steps is for --mode each: each click state is an image of its own.");

  return true;
}

/// The checks of the run's options between themselves and against the file
/// system; then the output folder and the paths are made absolute.
bool CheckRun(CommandLine& cl, const OptionState& state, std::string* error) {
  const auto failed = [&](const std::string& message) {
    *error = message;
    return false;
  };
  if (cl.mode == SaveMode::kXSlide && !state.slideGiven)
    return failed("--mode slide needs the slide number: --slide N.");
  if (state.slideGiven && cl.mode != SaveMode::kXSlide)
    return failed("--slide is only for --mode slide.");
  if (cl.beside && state.outputGiven) return failed("Use either --output or --beside, not both.");
  if (!state.outputGiven) cl.outputFolder = CurrentFolder();
  if (!cl.beside && !FolderExists(cl.outputFolder)) {
    struct stat info {};
    if (::stat(cl.outputFolder.c_str(), &info) == 0)
      return failed("The output folder " + cl.outputFolder + " is not a folder.");
    return failed("The output folder " + cl.outputFolder + " does not exist.");
  }
  if (cl.nulSeparated && cl.filesFrom.empty()) return failed("-0 is for --files-from.");
  if (cl.paths.empty() && cl.filesFrom.empty())
    return failed("Nothing to convert: name presentation files or folders.");
  // A name without a folder lies in the current folder; jobs and the list
  // see every path whole.
  cl.outputFolder = AbsoluteFromHere(cl.outputFolder);
  for (std::string& path : cl.paths) path = AbsoluteFromHere(path);
  return true;
}

}  // namespace

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string* error) {
  CommandLine cl;
  cl.jobs = DefaultJobCount();
  bool onlyPaths = false;
  OptionState state{cl, error};

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (onlyPaths || arg.empty() || arg[0] != '-' || arg == "-") {
      cl.paths.push_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyPaths = true;
      continue;
    }
    OptionArgument argument(args, &i, error);
    const CommandLineOption* option = FindCommandLineOption(argument.Name());
    if (option == nullptr) {
      *error = "Unknown option " + argument.Name() + ". Try --help.";
      return std::nullopt;
    }
    if (!option->read(*option, argument, state)) return std::nullopt;
  }
  if (cl.help || cl.version) return cl;
  if (!CheckRequest(cl, state, error) || !CheckRun(cl, state, error)) return std::nullopt;
  return cl;
}

}  // namespace qm
