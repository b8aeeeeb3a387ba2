#include "cli/CommandLineOptions.h"

#include <cctype>
#include <optional>

#include "base/Error.h"
#include "base/WholeNumber.h"
#include "cli/OptionArgument.h"
#include "cli/OptionState.h"
#include "engine/batch/BatchRun.h"
#include "engine/export/ConversionRequest.h"
#include "engine/export/SaveModes.h"

namespace qm {

bool CommandLineOption::Named(const std::string& name) const {
  return name == longName || (*shortName != '\0' && name == shortName);
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

/// Reads a whole number from self.least to self.most into `target`; `unit`
/// ("pixels") is named in the refusal when given.
bool ReadNumber(const CommandLineOption& self, OptionArgument& argument, int& target,
                const char* unit = "") {
  const auto v = argument.Value("a number");
  if (!v) return false;
  const auto number = WholeNumber(*v, self.least, self.most);
  if (!number)
    return argument.Fail("The value \"" + *v + "\" for " + argument.Name() + " must be a whole number" +
                         (*unit != '\0' ? std::string(" of ") + unit : std::string()) + " from " +
                         std::to_string(self.least) + " to " + std::to_string(self.most) + ".");
  target = *number;
  return true;
}

/// Reads a text value into `target`, as it is.
bool ReadText(OptionArgument& argument, std::string& target, const char* what) {
  const auto v = argument.Value(what);
  if (!v) return false;
  target = *v;
  return true;
}

/// Reads --grid's COLUMNSxROWS ("4x": rows 0, as many as needed).
bool ReadGrid(const CommandLineOption&, OptionArgument& argument, OptionState& state) {
  const auto v = argument.Value("COLUMNSxROWS");
  if (!v) return false;
  const auto x = v->find('x');
  const auto columns =
      x == std::string::npos ? std::nullopt : WholeNumber(v->substr(0, x), 1, kMaxGridCells);
  const auto rows = x == std::string::npos || x + 1 == v->size()
                        ? std::optional<int>(0)
                        : WholeNumber(v->substr(x + 1), 1, kMaxGridCells);
  if (!columns || !rows)
    return argument.Fail("The grid \"" + *v + "\" must be COLUMNSxROWS, as in 4x3, or COLUMNSx, as in 4x" +
                         " (each up to " + std::to_string(kMaxGridCells) + ").");
  state.cl.request.gridColumns = *columns;
  state.cl.request.gridRows = *rows;
  return true;
}

/// Reads -f or -l: one slide number.
bool ReadSlideBound(const CommandLineOption&, OptionArgument& argument, OptionState& state) {
  const auto v = argument.Value("a slide number");
  if (!v) return false;
  const auto one = ParseSlideList(*v, state.error);
  if (!one || one->size() != 1 || one->front().last != one->front().first)
    return argument.Fail("The slide number \"" + *v + "\" for " + argument.Name() +
                         " must be a whole number from 1 to 32767.");
  (argument.Name() == "-f" || argument.Name() == "--first" ? state.firstSlide : state.lastSlide) =
      one->front().first;
  return true;
}

/// Reads --slide N: numeric, and within a slide number's range.
bool ReadSlideNumber(const CommandLineOption&, OptionArgument& argument, OptionState& state) {
  const auto v = argument.Value("a slide number");
  if (!v) return false;
  if (!IsNumeric(*v)) return argument.Fail("The slide number \"" + *v + "\" is not numeric.");
  try {
    SlideNumberFromText(*v);
  } catch (const Error&) {
    return argument.Fail("The slide number \"" + *v +
                         "\" is out of range: use a number from -32768 to 32767.");
  }
  state.cl.slideText = *v;
  state.slideGiven = true;
  return true;
}

using O = CommandLineOption;
using S = OptionState;
using A = OptionArgument;
constexpr OptionValue kNone = OptionValue::kNone;
constexpr OptionValue kChoice = OptionValue::kChoice;
constexpr OptionValue kNumber = OptionValue::kNumber;
constexpr OptionValue kText = OptionValue::kText;

}  // namespace

const std::vector<CommandLineOption>& CommandLineOptions() {
  static const std::vector<CommandLineOption> options = {
      {"-m", "--mode", "MODE", kChoice, "each all first second slide", 0, 0,
       "each (default) | all | first | second | slide",
       [](const O&, A& a, S& s) {
         const auto v = a.Value("a mode");
         if (!v) return false;
         const std::optional<SaveMode> mode = ModeNamed(*v);
         if (!mode) return a.Fail("Unknown mode \"" + *v + "\": use each, all, first, second or slide.");
         s.cl.mode = *mode;
         return true;
       }},
      {"-x", "--slide", "N", kText, "", 0, 0, "slide number for --mode slide (halves round to even)",
       ReadSlideNumber},
      {"-d", "--direction", "DIR", kChoice, "down right", 0, 0, "down (default) | right        (for --mode all)",
       [](const O&, A& a, S& s) {
         const auto v = a.Value("a direction");
         if (!v) return false;
         if (*v != "down" && *v != "right") return a.Fail("Unknown direction \"" + *v + "\": use down or right.");
         s.cl.direction = *v == "down" ? 1 : 2;
         return true;
       }},
      {"-o", "--output", "DIR", OptionValue::kFolder, "", 0, 0,
       "write into DIR, which must exist (default: the current folder)",
       [](const O&, A& a, S& s) {
         s.outputGiven = true;
         return ReadText(a, s.cl.outputFolder, "a folder");
       }},
      {"-b", "--beside", "", kNone, "", 0, 0, "write beside each source file",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.beside); }},
      {"-e", "--extension", "EXT", kText, "", 0, 0,
       "for folder arguments: take files matching \"*.\" + EXT in the\n"
       "folder and all its sub-folders (default \"ppt*\"); files named\n"
       "directly are taken as they are",
       [](const O&, A& a, S& s) {
         const auto v = a.Value("an extension");
         if (!v) return false;
         if (v->empty() || v->find('/') != std::string::npos)
           return a.Fail("The extension \"" + *v + "\" cannot be used.");
         s.cl.extension = *v;
         return true;
       }},
      {"-j", "--jobs", "N", kNumber, "", 1, 64,
       "convert up to N files at once (default: the number of cores,\n"
       "fewer when the machine's memory holds fewer renderers)",
       [](const O& o, A& a, S& s) { return ReadNumber(o, a, s.cl.jobs); }},
      {"-q", "--quiet", "", kNone, "", 0, 0, "no progress output",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.quiet); }},
      {"-v", "--verbose", "", kNone, "", 0, 0,
       "show every step's report in full, where it failed and the\n"
       "steps that could not run after it (default: one line per\n"
       "failure, its cause)",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.verbose); }},
      {"-s", "--slides", "LIST", kText, "", 0, 0,
       "for --mode each: only these slides, as in 1,3-5,8- (a range\n"
       "without an end runs to the last slide); names keep the\n"
       "real slide numbers",
       [](const O&, A& a, S& s) {
         const auto v = a.Value("a slide list");
         if (!v) return false;
         const auto ranges = ParseSlideList(*v, s.error);
         if (!ranges) return false;
         s.cl.request.slides = *ranges;
         s.slidesGiven = true;
         return true;
       }},
      {"-f", "--first", "N", kText, "", 0, 0, "for --mode each: from slide N (with -l: slides N to M)",
       ReadSlideBound},
      {"-l", "--last", "M", kText, "", 0, 0, "for --mode each: up to slide M", ReadSlideBound},
      {"", "--skip-hidden", "", kNone, "", 0, 0, "for --mode each: leave out the slides the slide show hides",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.request.skipHidden); }},
      {"", "--pad", "", kNone, "", 0, 0,
       "for --mode each: numbers with leading zeros to the deck's\n"
       "slide count (deck_Slide007.png), so names sort",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.request.padNumbers); }},
      {"-r", "--resolution", "DPI", kNumber, "", 1, kMaxDpi,
       "draw slides at DPI pixels to the inch (default 96: the\n"
       "slide size at 96 dpi)",
       [](const O& o, A& a, S& s) { return ReadNumber(o, a, s.cl.request.dpi); }},
      {"", "--scale-to", "N", kNumber, "", 1, kMaxSidePixels,
       "draw slides with their long side N pixels, aspect kept",
       [](const O& o, A& a, S& s) { return ReadNumber(o, a, s.cl.request.scaleTo); }},
      {"", "--width", "N", kNumber, "", 1, kMaxSidePixels,
       "draw slides N pixels wide (alone: the aspect kept)",
       [](const O& o, A& a, S& s) { return ReadNumber(o, a, s.cl.request.width); }},
      {"", "--height", "N", kNumber, "", 1, kMaxSidePixels,
       "draw slides N pixels high (alone: the aspect kept); slides\n"
       "are drawn at that size, not scaled after",
       [](const O& o, A& a, S& s) { return ReadNumber(o, a, s.cl.request.height); }},
      {"-t", "--type", "TYPE", kChoice, "png jpeg webp", 0, 0,
       "png (default) | jpeg | webp: the format of each slide's image\n"
       "(names end in .png, .jpg, .webp); a joined image stays PNG",
       [](const O&, A& a, S& s) {
         const auto v = a.Value("an image type");
         if (!v) return false;
         const std::optional<ImageType> type = ImageTypeNamed(*v);
         if (!type) return a.Fail("Unknown image type \"" + *v + "\": use png, jpeg or webp.");
         s.cl.request.type = *type;
         return true;
       }},
      {"", "--quality", "Q", kNumber, "", 1, kMaxQuality, "for jpeg and webp: 1 to 100 (default 90)",
       [](const O& o, A& a, S& s) { return ReadNumber(o, a, s.cl.request.quality); }},
      {"", "--transparent", "", kNone, "", 0, 0,
       "leave the slides' background out: PNG and WebP images with\n"
       "transparency (not with jpeg or --mode all)",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.request.transparent); }},
      {"", "--notes", "", kNone, "", 0, 0,
       "also write each slide's speaker notes beside its image, as\n"
       "deck_Slide3.txt (UTF-8; empty where a slide has none)",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.request.notes); }},
      {"", "--steps", "", kNone, "", 0, 0,
       "for --mode each: a slide whose animations take clicks gives\n"
       "one image per click state, deck_Slide3_Step0.png (before\n"
       "the first click) to its last click",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.request.steps); }},
      {"", "--fail-on-missing-fonts", "", kNone, "", 0, 0,
       "a deck that asks for fonts this machine lacks is not\n"
       "converted: it is reported with the fonts, nothing is written",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.request.failOnMissingFonts); }},
      {"", "--files-from", "FILE", OptionValue::kFile, "", 0, 0,
       "read the paths to convert from FILE (- for standard input),\n"
       "one a line, after those named on the command line",
       [](const O&, A& a, S& s) { return ReadText(a, s.cl.filesFrom, "a file, or - for standard input"); }},
      {"-0", "--null", "", kNone, "", 0, 0, "the --files-from list is NUL-separated (find -print0)",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.nulSeparated); }},
      {"", "--timeout", "S", kNumber, "", 1, 86400,
       "a file not converted within S seconds is reported as not\n"
       "converted and the run goes on",
       [](const O& o, A& a, S& s) { return ReadNumber(o, a, s.cl.timeoutSeconds, "seconds"); }},
      {"", "--max-memory", "MB", kNumber, "", 64, 1 << 20,
       "memory one renderer may use (default: a fair share of the\n"
       "machine; QUILLMERE_WORKER_MEMORY_MB does the same)",
       [](const O& o, A& a, S& s) { return ReadNumber(o, a, s.cl.maxMemoryMb, "megabytes"); }},
      {"", "--grid", "CxR", kText, "", 0, 0,
       "for --mode all: a grid C slides wide and at most R rows high\n"
       "(\"4x\": rows of 4, as many as the slides need)",
       ReadGrid},
      {"", "--gap", "N", kNumber, "", 0, kMaxGap, "for --grid: N pixels between slides",
       [](const O& o, A& a, S& s) {
         s.gridLookGiven = true;
         return ReadNumber(o, a, s.cl.request.gap, "pixels");
       }},
      {"", "--background", "COLOUR", kChoice, "white black grey", 0, 0,
       "for --grid: #rrggbb, white (default), black or grey",
       [](const O&, A& a, S& s) {
         const auto v = a.Value("a colour");
         if (!v) return false;
         const auto colour = ColourFromText(*v);
         if (!colour) return a.Fail("The colour \"" + *v + "\" must be #rrggbb, or white, black or grey.");
         s.cl.request.background = *colour;
         s.gridLookGiven = true;
         return true;
       }},
      {"", "--skip-existing", "", kNone, "", 0, 0,
       "leave a deck alone when every image it would write exists\n"
       "and is newer than the deck",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.request.skipExisting); }},
      {"", "--json", "", kNone, "", 0, 0,
       "write the results as JSON, one object a line, on standard\n"
       "output (one per file, then a summary; see the README)",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.json); }},
      {"", "--allow-links", "", kNone, "", 0, 0,
       "let decks fetch the pictures they link to (web addresses,\n"
       "files on this computer); off by default",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.allowLinks); }},
      {"-h", "--help", "", kNone, "", 0, 0, "show this help",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.help); }},
      {"", "--version", "", kNone, "", 0, 0, "show the version and the renderer's confinement here",
       [](const O&, A& a, S& s) { return a.Flag(s.cl.version); }},
  };
  return options;
}

const CommandLineOption* FindCommandLineOption(const std::string& name) {
  for (const CommandLineOption& option : CommandLineOptions())
    if (option.Named(name)) return &option;
  return nullptr;
}

std::string OptionsHelp() {
  constexpr std::size_t kHelpColumn = 24;
  std::string text;
  for (const CommandLineOption& option : CommandLineOptions()) {
    std::string names = std::string("  ") + (*option.shortName != '\0' ? std::string(option.shortName) + ", " : "    ") +
                        option.longName + (*option.valueName != '\0' ? std::string(" ") + option.valueName : "");
    // Names too long for the column put the help on the next line.
    text += names.size() + 2 <= kHelpColumn ? names + std::string(kHelpColumn - names.size(), ' ')
                                            : names + "\n" + std::string(kHelpColumn, ' ');
    for (const char* c = option.help; *c != '\0'; ++c) {
      text += *c;
      if (*c == '\n') text += std::string(kHelpColumn, ' ');
    }
    text += '\n';
  }
  return text;
}

}  // namespace qm
