#include "cli/CommandLine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <functional>
#include <cstdlib>
#include <thread>

#include "engine/batch/BatchRun.h"
#include "engine/batch/JobRunner.h"
#include "base/Error.h"
#include "base/Paths.h"
#include "base/Sandbox.h"
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
         "      --files-from FILE read the paths to convert from FILE (- for standard input),\n"
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
  text += "  LibreOffice: active (linked content blocked, no host allowed)\n";
  return text;
}

namespace {

/// `text` as a whole number from `low` to `high`; nullopt for anything else.
std::optional<int> WholeNumber(const std::string& text, long low, long high) {
  char* end = nullptr;
  errno = 0;
  const long number = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || number < low || number > high) return std::nullopt;
  return static_cast<int>(number);
}

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

const char* ModeTextFor(const std::string& mode) {
  if (mode == "each") return kModeEachSlide;
  if (mode == "all") return kModeAllSlides;
  if (mode == "first") return kModeFirstSlide;
  if (mode == "second") return kModeSecondSlide;
  if (mode == "slide") return kModeXSlide;
  return nullptr;
}



/// What the request options given so far imply for the checks after them.
struct RequestOptionState {
  bool slidesGiven = false;  ///< --slides
  int firstSlide = 0;        ///< -f
  int lastSlide = 0;         ///< -l
  bool gridLookGiven = false;  ///< --gap, --background
};

enum class OptionResult { kNotMine, kTaken, kFailed };

/// Reads `arg` when it is one of the options that fill the conversion
/// request (slides, sizes, type, grid, skipping), taking its value through
/// `value` or `flag` as ParseCommandLine does for every option.
OptionResult ParseRequestOption(const std::string& arg,
                                const std::function<std::optional<std::string>(const char*)>& value,
                                const std::function<bool(bool&)>& flag,
                                ConversionRequest& request, RequestOptionState& state,
                                std::string* error) {
  const auto failed = [&](const std::string& message) {
    *error = message;
    return OptionResult::kFailed;
  };
    if (arg == "-s" || arg == "--slides") {
      const auto v = value("a slide list");
      if (!v) return OptionResult::kFailed;
      const auto ranges = ParseSlideList(*v, error);
      if (!ranges) return OptionResult::kFailed;
      request.slides = *ranges;
      state.slidesGiven = true;
    } else if (arg == "-f" || arg == "--first" || arg == "-l" || arg == "--last") {
      const auto v = value("a slide number");
      if (!v) return OptionResult::kFailed;
      const auto one = ParseSlideList(*v, error);
      if (!one || one->size() != 1 || one->front().last != one->front().first)
        return failed("The slide number \"" + *v + "\" for " + arg + " must be a whole number from 1 to 32767.");
      (arg == "-f" || arg == "--first" ? state.firstSlide : state.lastSlide) = one->front().first;
    } else if (arg == "--pad") {
      if (!flag(request.padNumbers)) return OptionResult::kFailed;
    } else if (arg == "--skip-hidden") {
      if (!flag(request.skipHidden)) return OptionResult::kFailed;
    } else if (arg == "--skip-existing") {
      if (!flag(request.skipExisting)) return OptionResult::kFailed;
    } else if (arg == "--grid") {
      const auto v = value("COLUMNSxROWS");
      if (!v) return OptionResult::kFailed;
      const auto x = v->find('x');
      const auto columns = x == std::string::npos ? std::nullopt : WholeNumber(v->substr(0, x), 1, 10000);
      const auto rows = x == std::string::npos || x + 1 == v->size()
                            ? std::optional<int>(0)
                            : WholeNumber(v->substr(x + 1), 1, 10000);
      if (!columns || !rows)
        return failed("The grid \"" + *v + "\" must be COLUMNSxROWS, as in 4x3, or COLUMNSx, as in 4x.");
      request.gridColumns = *columns;
      request.gridRows = *rows;
    } else if (arg == "--gap") {
      const auto v = value("a number of pixels");
      if (!v) return OptionResult::kFailed;
      const auto gap = WholeNumber(*v, 0, 10000);
      if (!gap) return failed("The gap \"" + *v + "\" must be a whole number of pixels from 0 to 10000.");
      request.gap = *gap;
      state.gridLookGiven = true;
    } else if (arg == "--background") {
      const auto v = value("a colour");
      if (!v) return OptionResult::kFailed;
      const auto colour = ColourFromText(*v);
      if (!colour) return failed("The colour \"" + *v + "\" must be #rrggbb, or white, black or grey.");
      request.background = *colour;
      state.gridLookGiven = true;
    } else if (arg == "-t" || arg == "--type") {
      const auto v = value("an image type");
      if (!v) return OptionResult::kFailed;
      if (*v == "png") request.type = ImageType::kPng;
      else if (*v == "jpeg" || *v == "jpg") request.type = ImageType::kJpeg;
      else if (*v == "webp") request.type = ImageType::kWebp;
      else return failed("Unknown image type \"" + *v + "\": use png, jpeg or webp.");
    } else if (arg == "--quality") {
      const auto v = value("a number");
      if (!v) return OptionResult::kFailed;
      const auto quality = WholeNumber(*v, 1, 100);
      if (!quality) return failed("The quality \"" + *v + "\" must be a whole number from 1 to 100.");
      request.quality = *quality;
    } else if (arg == "-r" || arg == "--resolution" || arg == "--scale-to" || arg == "--width" ||
               arg == "--height") {
      const auto v = value("a number");
      if (!v) return OptionResult::kFailed;
      const bool dpi = arg == "-r" || arg == "--resolution";
      const int limit = dpi ? 2400 : 32767;
      const auto number = WholeNumber(*v, 1, limit);
      if (!number)
        return failed("The value \"" + *v + "\" for " + arg + " must be a whole number from 1 to " +
                    std::to_string(limit) + ".");
      (dpi ? request.dpi
           : arg == "--scale-to" ? request.scaleTo
           : arg == "--width"    ? request.width
                                 : request.height) = *number;
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
  if (cl.request.gridColumns > 0 && cl.modeText != kModeAllSlides)
    return failed("--grid is for --mode all.");
  if (state.gridLookGiven && cl.request.gridColumns == 0) return failed("--gap and --background are for --grid.");
  if (cl.request.quality > 0 && cl.request.type == ImageType::kPng)
    return failed("--quality is for --type jpeg or webp; PNG is lossless.");
  if (cl.request.type != ImageType::kPng && cl.modeText == kModeAllSlides)
    return failed("A joined image (--mode all) is always PNG; --type is for the other modes.");
  if ((!cl.request.slides.empty() || cl.request.padNumbers || cl.request.skipHidden) &&
      cl.modeText != kModeEachSlide)
    return failed("--slides, -f, -l, --pad and --skip-hidden are for --mode each.");

  return true;
}

}  // namespace

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string* error) {
  CommandLine cl;
  cl.modeText = kModeEachSlide;
  cl.jobs = DefaultJobCount();
  bool slideGiven = false, outputGiven = false, onlyPaths = false;
  RequestOptionState state;

  const auto fail = [&](const std::string& message) -> std::optional<CommandLine> {
    *error = message;
    return std::nullopt;
  };

  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (onlyPaths || arg.empty() || arg[0] != '-' || arg == "-") {
      cl.paths.push_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyPaths = true;
      continue;
    }
    // "--name=value" and "-xVALUE" carry their value inline.
    std::optional<std::string> inlineValue;
    const auto split = arg.rfind("--", 0) == 0 ? arg.find('=') : (arg.size() > 2 ? 2 : std::string::npos);
    if (split != std::string::npos) {
      inlineValue = arg.substr(split + (arg[split] == '=' ? 1 : 0));
      arg.erase(split);
    }
    const auto value = [&](const char* what) -> std::optional<std::string> {
      if (inlineValue) return inlineValue;
      if (i + 1 < args.size()) return args[++i];
      *error = "Option " + arg + " needs " + what + ".";
      return std::nullopt;
    };
    const auto flag = [&](bool& target) {
      if (inlineValue) {
        *error = "Option " + arg + " takes no value.";
        return false;
      }
      target = true;
      return true;
    };

    if (arg == "-m" || arg == "--mode") {
      const auto v = value("a mode");
      if (!v) return std::nullopt;
      const char* text = ModeTextFor(*v);
      if (!text) return fail("Unknown mode \"" + *v + "\": use each, all, first, second or slide.");
      cl.modeText = text;
    } else if (arg == "-x" || arg == "--slide") {
      const auto v = value("a slide number");
      if (!v) return std::nullopt;
      if (!IsNumeric(*v)) return fail("The slide number \"" + *v + "\" is not numeric.");
      try {
        SlideNumberFromText(*v);
      } catch (const Error&) {
        return fail("The slide number \"" + *v + "\" is out of range: use a number from -32768 to 32767.");
      }
      cl.slideText = *v;
      slideGiven = true;
    } else if (arg == "-d" || arg == "--direction") {
      const auto v = value("a direction");
      if (!v) return std::nullopt;
      if (*v == "down") cl.direction = 1;
      else if (*v == "right") cl.direction = 2;
      else return fail("Unknown direction \"" + *v + "\": use down or right.");
    } else if (arg == "-o" || arg == "--output") {
      const auto v = value("a folder");
      if (!v) return std::nullopt;
      cl.outputFolder = *v;
      outputGiven = true;
    } else if (arg == "-e" || arg == "--extension") {
      const auto v = value("an extension");
      if (!v) return std::nullopt;
      if (v->empty() || v->find('/') != std::string::npos)
        return fail("The extension \"" + *v + "\" cannot be used.");
      cl.extension = *v;
    } else if (arg == "-j" || arg == "--jobs") {
      const auto v = value("a number");
      if (!v) return std::nullopt;
      const auto jobs = WholeNumber(*v, 1, 64);
      if (!jobs) return fail("The number of jobs \"" + *v + "\" must be a whole number from 1 to 64.");
      cl.jobs = *jobs;
    } else if (arg == "-b" || arg == "--beside") {
      if (!flag(cl.beside)) return std::nullopt;
    } else if (arg == "-q" || arg == "--quiet") {
      if (!flag(cl.quiet)) return std::nullopt;
    } else if (arg == "-h" || arg == "--help") {
      if (!flag(cl.help)) return std::nullopt;
    } else if (arg == "--version") {
      if (!flag(cl.version)) return std::nullopt;
    } else if (arg == "--allow-links") {
      if (!flag(cl.allowLinks)) return std::nullopt;
    } else if (arg == "--files-from") {
      const auto v = value("a file, or - for standard input");
      if (!v) return std::nullopt;
      cl.filesFrom = *v;
    } else if (arg == "-0" || arg == "--null") {
      if (!flag(cl.nulSeparated)) return std::nullopt;
    } else if (arg == "--json") {
      if (!flag(cl.json)) return std::nullopt;
    } else if (arg == "--max-memory" || arg == "--timeout") {
      const auto v = value("a number");
      if (!v) return std::nullopt;
      const bool memory = arg == "--max-memory";
      const auto number = WholeNumber(*v, memory ? 64 : 1, memory ? 1 << 20 : 86400);
      if (!number)
        return fail("The value \"" + *v + "\" for " + arg + " must be a whole number of " +
                    (memory ? "megabytes from 64 to 1048576." : "seconds from 1 to 86400."));
      (memory ? cl.maxMemoryMb : cl.timeoutSeconds) = *number;
    } else if (const OptionResult taken = ParseRequestOption(arg, value, flag, cl.request, state, error);
               taken != OptionResult::kNotMine) {
      if (taken == OptionResult::kFailed) return std::nullopt;
    } else {
      return fail("Unknown option " + arg + ". Try --help.");
    }
  }
  if (cl.help || cl.version) return cl;

  if (!CheckRequest(cl, state, error)) return std::nullopt;
  if (cl.modeText == kModeXSlide && !slideGiven)
    return fail("--mode slide needs the slide number: --slide N.");
  if (slideGiven && cl.modeText != kModeXSlide)
    return fail("--slide is only for --mode slide.");
  if (cl.beside && outputGiven) return fail("Use either --output or --beside, not both.");
  if (!outputGiven) cl.outputFolder = CurrentFolder();
  if (!cl.beside && !FolderExists(cl.outputFolder)) {
    struct stat info {};
    if (::stat(cl.outputFolder.c_str(), &info) == 0)
      return fail("The output folder " + cl.outputFolder + " is not a folder.");
    return fail("The output folder " + cl.outputFolder + " does not exist.");
  }
  if (cl.nulSeparated && cl.filesFrom.empty()) return fail("-0 is for --files-from.");
  if (cl.paths.empty() && cl.filesFrom.empty())
    return fail("Nothing to convert: name presentation files or folders.");
  // A name without a folder lies in the current folder; jobs and the list
  // see every path whole.
  cl.outputFolder = AbsoluteFromHere(cl.outputFolder);
  for (std::string& path : cl.paths) path = AbsoluteFromHere(path);
  return cl;
}

}  // namespace qm
