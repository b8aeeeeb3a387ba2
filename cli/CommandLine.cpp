#include "cli/CommandLine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <thread>

#include "engine/batch/BatchRun.h"
#include "engine/batch/JobRunner.h"
#include "base/Error.h"
#include "base/Paths.h"
#include "base/Sandbox.h"
#include "base/WholeNumber.h"
#include "cli/OptionArgument.h"
#include "engine/export/SaveModes.h"

namespace qm {

std::string UsageText() {
  return "Usage: quillmere-batch [OPTIONS] PATH...\n"
         "Converts presentations (.ppt, .pptx, .pptm, ...) into PNG images.\n"
         "\n"
         "  -m, --mode MODE       each (default) | all | first | second | slide\n"
         "  -x, --slide N         slide number for --mode slide (halves round to even)\n"
         "  -d, --direction DIR   down (default) | right        (for --mode all)\n"
         "  -o, --output DIR      write into DIR, which must exist (default: the current folder)\n"
         "  -b, --beside          write beside each source file\n"
         "  -e, --extension EXT   for folder arguments: take files matching \"*.\" + EXT in the\n"
         "                        folder and all its sub-folders (default \"ppt*\"); files named\n"
         "                        directly are taken as they are\n"
         "  -j, --jobs N          convert up to N files at once (default: the number of cores,\n"
         "                        fewer when the machine's memory holds fewer renderers)\n"
         "  -q, --quiet           no progress output\n"
         "  -v, --verbose         show every step's report in full, where it failed and the\n"
         "                        steps that could not run after it (default: one line per\n"
         "                        failure, its cause)\n"
         "  -s, --slides LIST     for --mode each: only these slides, as in 1,3-5,8- (a range\n"
         "                        without an end runs to the last slide); names keep the\n"
         "                        real slide numbers\n"
         "  -f, --first N         for --mode each: from slide N (with -l: slides N to M)\n"
         "  -l, --last M          for --mode each: up to slide M\n"
         "      --skip-hidden     for --mode each: leave out the slides the slide show hides\n"
         "      --pad             for --mode each: numbers with leading zeros to the deck's\n"
         "                        slide count (deck_Slide007.png), so names sort\n"
         "  -r, --resolution DPI  draw slides at DPI pixels to the inch (default 96: the\n"
         "                        slide size at 96 dpi)\n"
         "      --scale-to N      draw slides with their long side N pixels, aspect kept\n"
         "      --width N         draw slides N pixels wide (alone: the aspect kept)\n"
         "      --height N        draw slides N pixels high (alone: the aspect kept); slides\n"
         "                        are drawn at that size, not scaled after\n"
         "  -t, --type TYPE       png (default) | jpeg | webp: the format of each slide's image\n"
         "                        (names end in .png, .jpg, .webp); a joined image stays PNG\n"
         "      --quality Q       for jpeg and webp: 1 to 100 (default 90)\n"
         "      --transparent     leave the slides' background out: PNG and WebP images with\n"
         "                        transparency (not with jpeg or --mode all)\n"
         "      --files-from FILE\n"
         "                        read the paths to convert from FILE (- for standard input),\n"
         "                        one a line, after those named on the command line\n"
         "  -0, --null            the --files-from list is NUL-separated (find -print0)\n"
         "      --timeout S       a file not converted within S seconds is reported as not\n"
         "                        converted and the run goes on\n"
         "      --max-memory MB   memory one renderer may use (default: a fair share of the\n"
         "                        machine; QUILLMERE_WORKER_MEMORY_MB does the same)\n"
         "      --grid CxR        for --mode all: a grid C slides wide and at most R rows high\n"
         "                        (\"4x\": rows of 4, as many as the slides need)\n"
         "      --gap N           for --grid: N pixels between slides\n"
         "      --background COLOUR\n"
         "                        for --grid: #rrggbb, white (default), black or grey\n"
         "      --skip-existing   leave a deck alone when every image it would write exists\n"
         "                        and is newer than the deck\n"
         "      --json            write the results as JSON, one object a line, on standard\n"
         "                        output (one per file, then a summary; see the README)\n"
         "      --allow-links     let decks fetch the pictures they link to (web addresses,\n"
         "                        files on this computer); off by default\n"
         "  -h, --help            show this help\n"
         "      --version         show the version and the renderer's confinement here\n"
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

/// "#rrggbb", "rrggbb" or one of a few names; nullopt for anything else.
std::optional<Rgb> ColourFromText(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (text == "white") return Rgb{255, 255, 255};
  if (text == "black") return Rgb{0, 0, 0};
  if (text == "grey" || text == "gray") return Rgb{128, 128, 128};
  if (!text.empty() && text[0] == '#') text.erase(0, 1);
  if (text.size() != 6 || text.find_first_not_of("0123456789abcdef") != std::string::npos)
    return std::nullopt;
  const unsigned long value = std::stoul(text, nullptr, 16);
  return Rgb{static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value)};
}

std::optional<SaveMode> ModeNamed(const std::string& mode) {
  if (mode == "each") return SaveMode::kEachSlide;
  if (mode == "all") return SaveMode::kAllSlides;
  if (mode == "first") return SaveMode::kFirstSlide;
  if (mode == "second") return SaveMode::kSecondSlide;
  if (mode == "slide") return SaveMode::kXSlide;
  return std::nullopt;
}

/// What the request options given so far imply for the checks after them.
struct RequestOptionState {
  bool slidesGiven = false;  ///< --slides
  int firstSlide = 0;        ///< -f
  int lastSlide = 0;         ///< -l
  bool gridLookGiven = false;  ///< --gap, --background
};

/// What the other options given so far imply for the checks after them.
struct RunOptionState {
  bool slideGiven = false;   ///< --slide
  bool outputGiven = false;  ///< --output
};

enum class OptionResult { kNotMine, kTaken, kFailed };

OptionResult Taken(bool ok) { return ok ? OptionResult::kTaken : OptionResult::kFailed; }

/// Reads --grid's COLUMNSxROWS ("4x": rows 0, as many as needed) into `request`.
bool ReadGrid(OptionArgument& option, ConversionRequest& request) {
  const auto v = option.Value("COLUMNSxROWS");
  if (!v) return false;
  const auto x = v->find('x');
  const auto columns = x == std::string::npos ? std::nullopt : WholeNumber(v->substr(0, x), 1, 10000);
  const auto rows = x == std::string::npos || x + 1 == v->size()
                        ? std::optional<int>(0)
                        : WholeNumber(v->substr(x + 1), 1, 10000);
  if (!columns || !rows)
    return option.Fail("The grid \"" + *v + "\" must be COLUMNSxROWS, as in 4x3, or COLUMNSx, as in 4x.");
  request.gridColumns = *columns;
  request.gridRows = *rows;
  return true;
}

/// Reads one of the options that give the slides' size: -r, --scale-to,
/// --width, --height.
bool ReadSize(OptionArgument& option, ConversionRequest& request) {
  const std::string& arg = option.Name();
  const auto v = option.Value("a number");
  if (!v) return false;
  const bool dpi = arg == "-r" || arg == "--resolution";
  const int limit = dpi ? kMaxDpi : kMaxSidePixels;
  const auto number = WholeNumber(*v, 1, limit);
  if (!number)
    return option.Fail("The value \"" + *v + "\" for " + arg + " must be a whole number from 1 to " +
                       std::to_string(limit) + ".");
  (dpi ? request.dpi
       : arg == "--scale-to" ? request.scaleTo
       : arg == "--width"    ? request.width
                             : request.height) = *number;
  return true;
}

/// Reads one of the slide options: --slides, -f, -l.
bool ReadSlides(OptionArgument& option, ConversionRequest& request, RequestOptionState& state,
                std::string* error) {
  const std::string& arg = option.Name();
  if (arg == "-s" || arg == "--slides") {
    const auto v = option.Value("a slide list");
    if (!v) return false;
    const auto ranges = ParseSlideList(*v, error);
    if (!ranges) return false;
    request.slides = *ranges;
    state.slidesGiven = true;
    return true;
  }
  const auto v = option.Value("a slide number");
  if (!v) return false;
  const auto one = ParseSlideList(*v, error);
  if (!one || one->size() != 1 || one->front().last != one->front().first)
    return option.Fail("The slide number \"" + *v + "\" for " + arg +
                       " must be a whole number from 1 to 32767.");
  (arg == "-f" || arg == "--first" ? state.firstSlide : state.lastSlide) = one->front().first;
  return true;
}

/// Reads `option` when it is one of the options that fill the conversion
/// request (slides, sizes, type, grid, skipping).
OptionResult ParseRequestOption(OptionArgument& option, ConversionRequest& request,
                                RequestOptionState& state, std::string* error) {
  const std::string& arg = option.Name();
  if (arg == "-s" || arg == "--slides" || arg == "-f" || arg == "--first" || arg == "-l" ||
      arg == "--last") {
    return Taken(ReadSlides(option, request, state, error));
  }
  if (arg == "--pad") return Taken(option.Flag(request.padNumbers));
  if (arg == "--transparent") return Taken(option.Flag(request.transparent));
  if (arg == "--skip-hidden") return Taken(option.Flag(request.skipHidden));
  if (arg == "--skip-existing") return Taken(option.Flag(request.skipExisting));
  if (arg == "--grid") return Taken(ReadGrid(option, request));
  if (arg == "-r" || arg == "--resolution" || arg == "--scale-to" || arg == "--width" ||
      arg == "--height") {
    return Taken(ReadSize(option, request));
  }
  if (arg == "--gap") {
    const auto v = option.Value("a number of pixels");
    if (!v) return OptionResult::kFailed;
    const auto gap = WholeNumber(*v, 0, 10000);
    if (!gap) return Taken(option.Fail("The gap \"" + *v + "\" must be a whole number of pixels from 0 to 10000."));
    request.gap = *gap;
    state.gridLookGiven = true;
  } else if (arg == "--background") {
    const auto v = option.Value("a colour");
    if (!v) return OptionResult::kFailed;
    const auto colour = ColourFromText(*v);
    if (!colour) return Taken(option.Fail("The colour \"" + *v + "\" must be #rrggbb, or white, black or grey."));
    request.background = *colour;
    state.gridLookGiven = true;
  } else if (arg == "-t" || arg == "--type") {
    const auto v = option.Value("an image type");
    if (!v) return OptionResult::kFailed;
    const std::optional<ImageType> type = ImageTypeNamed(*v);
    if (!type) return Taken(option.Fail("Unknown image type \"" + *v + "\": use png, jpeg or webp."));
    request.type = *type;
  } else if (arg == "--quality") {
    const auto v = option.Value("a number");
    if (!v) return OptionResult::kFailed;
    const auto quality = WholeNumber(*v, 1, 100);
    if (!quality) return Taken(option.Fail("The quality \"" + *v + "\" must be a whole number from 1 to 100."));
    request.quality = *quality;
  } else {
    return OptionResult::kNotMine;
  }
  return OptionResult::kTaken;
}

/// Reads --slide N, numeric and within a slide number's range.
bool ReadSlideNumber(OptionArgument& option, CommandLine& cl) {
  const auto v = option.Value("a slide number");
  if (!v) return false;
  if (!IsNumeric(*v)) return option.Fail("The slide number \"" + *v + "\" is not numeric.");
  try {
    SlideNumberFromText(*v);
  } catch (const Error&) {
    return option.Fail("The slide number \"" + *v +
                       "\" is out of range: use a number from -32768 to 32767.");
  }
  cl.slideText = *v;
  return true;
}

/// Reads --max-memory MB or --timeout S.
bool ReadLimit(OptionArgument& option, CommandLine& cl) {
  const auto v = option.Value("a number");
  if (!v) return false;
  const bool memory = option.Name() == "--max-memory";
  const auto number = WholeNumber(*v, memory ? 64 : 1, memory ? 1 << 20 : 86400);
  if (!number)
    return option.Fail("The value \"" + *v + "\" for " + option.Name() + " must be a whole number of " +
                       (memory ? "megabytes from 64 to 1048576." : "seconds from 1 to 86400."));
  (memory ? cl.maxMemoryMb : cl.timeoutSeconds) = *number;
  return true;
}

/// Reads `option` when it is one of the options of the run itself: mode,
/// output, jobs, inputs, reporting.
OptionResult ParseRunOption(OptionArgument& option, CommandLine& cl, RunOptionState& state) {
  const std::string& arg = option.Name();
  if (arg == "-m" || arg == "--mode") {
    const auto v = option.Value("a mode");
    if (!v) return OptionResult::kFailed;
    const std::optional<SaveMode> mode = ModeNamed(*v);
    if (!mode) return Taken(option.Fail("Unknown mode \"" + *v + "\": use each, all, first, second or slide."));
    cl.mode = *mode;
  } else if (arg == "-x" || arg == "--slide") {
    if (!ReadSlideNumber(option, cl)) return OptionResult::kFailed;
    state.slideGiven = true;
  } else if (arg == "-d" || arg == "--direction") {
    const auto v = option.Value("a direction");
    if (!v) return OptionResult::kFailed;
    if (*v == "down") cl.direction = 1;
    else if (*v == "right") cl.direction = 2;
    else return Taken(option.Fail("Unknown direction \"" + *v + "\": use down or right."));
  } else if (arg == "-o" || arg == "--output") {
    const auto v = option.Value("a folder");
    if (!v) return OptionResult::kFailed;
    cl.outputFolder = *v;
    state.outputGiven = true;
  } else if (arg == "-e" || arg == "--extension") {
    const auto v = option.Value("an extension");
    if (!v) return OptionResult::kFailed;
    if (v->empty() || v->find('/') != std::string::npos)
      return Taken(option.Fail("The extension \"" + *v + "\" cannot be used."));
    cl.extension = *v;
  } else if (arg == "-j" || arg == "--jobs") {
    const auto v = option.Value("a number");
    if (!v) return OptionResult::kFailed;
    const auto jobs = WholeNumber(*v, 1, 64);
    if (!jobs) return Taken(option.Fail("The number of jobs \"" + *v + "\" must be a whole number from 1 to 64."));
    cl.jobs = *jobs;
  } else if (arg == "--files-from") {
    const auto v = option.Value("a file, or - for standard input");
    if (!v) return OptionResult::kFailed;
    cl.filesFrom = *v;
  } else if (arg == "--max-memory" || arg == "--timeout") {
    return Taken(ReadLimit(option, cl));
  } else if (arg == "-b" || arg == "--beside") {
    return Taken(option.Flag(cl.beside));
  } else if (arg == "-q" || arg == "--quiet") {
    return Taken(option.Flag(cl.quiet));
  } else if (arg == "-v" || arg == "--verbose") {
    return Taken(option.Flag(cl.verbose));
  } else if (arg == "-h" || arg == "--help") {
    return Taken(option.Flag(cl.help));
  } else if (arg == "--version") {
    return Taken(option.Flag(cl.version));
  } else if (arg == "--allow-links") {
    return Taken(option.Flag(cl.allowLinks));
  } else if (arg == "-0" || arg == "--null") {
    return Taken(option.Flag(cl.nulSeparated));
  } else if (arg == "--json") {
    return Taken(option.Flag(cl.json));
  } else {
    return OptionResult::kNotMine;
  }
  return OptionResult::kTaken;
}

/// The checks between request options, and between them and the mode.
bool CheckRequest(CommandLine& cl, const RequestOptionState& state, std::string* error) {
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

  return true;
}

/// The checks of the run's options between themselves and against the file
/// system; then the output folder and the paths are made absolute.
bool CheckRun(CommandLine& cl, const RunOptionState& state, std::string* error) {
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
  RequestOptionState requestState;
  RunOptionState runState;

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
    OptionArgument option(args, &i, error);
    OptionResult result = ParseRunOption(option, cl, runState);
    if (result == OptionResult::kNotMine)
      result = ParseRequestOption(option, cl.request, requestState, error);
    if (result == OptionResult::kNotMine) {
      *error = "Unknown option " + option.Name() + ". Try --help.";
      return std::nullopt;
    }
    if (result == OptionResult::kFailed) return std::nullopt;
  }
  if (cl.help || cl.version) return cl;
  if (!CheckRequest(cl, requestState, error) || !CheckRun(cl, runState, error)) return std::nullopt;
  return cl;
}

}  // namespace qm
