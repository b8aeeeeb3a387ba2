// Nudging a deck's stored slide size onto one LibreOffice's slide renderer
// draws exactly: the arithmetic over the sizes decks come in, and the
// rewrite of the copy's presentation part.

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <map>
#include <string>

#include "engine/worker/PresentationSizePart.h"
#include "engine/worker/SlideSizeFit.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestZip.h"

namespace qm::test {
namespace {

constexpr std::int64_t kInch = 914400;

/// The default picture of a slide: its reported size at 96 dpi, halves up.
std::pair<int, int> DefaultPixels(const SlideSizeFit& size) {
  const auto [wide, high] = size.Twips();
  return {static_cast<int>((wide * 2 + 15) / 30), static_cast<int>((high * 2 + 15) / 30)};
}

TEST(SlideSizeFit, EverySlideSizeOfferedByPresentationProgramsReachesTheRenderer) {
  // PowerPoint's page setup sizes, and custom ones; landscape and portrait.
  const std::map<std::string, SlideSizeFit> sizes = {
      {"widescreen 13.333 x 7.5", {12192000, 6858000}}, {"16:9", {9144000, 5143500}},
      {"4:3", {9144000, 6858000}},                      {"16:10", {9144000, 5715000}},
      {"A4", {9906000, 6858000}},                       {"A3", {14285913, 10715625}},
      {"35 mm", {10287000, 6858000}},
      {"banner", {7315200, 914400}},                    {"ledger", {12179300, 9134475}},
      {"portrait 7.5 x 10", {6858000, 9144000}},        {"A4 portrait", {6858000, 9906000}},
      {"custom 8 x 6", {8 * kInch, 6 * kInch}},         {"odd 11.111 x 6.789", {10160000, 6207760}}};
  for (const auto& [name, stored] : sizes) {
    SCOPED_TRACE(name);
    const auto [width, height] = DefaultPixels(stored);
    const std::optional<SlideSizeFit> fit = stored.NearestDrawnAt(width, height);
    ASSERT_TRUE(fit.has_value());
    EXPECT_TRUE(fit->RendererDraws(width, height));
    // Asked for by width alone, as --width and --scale-to do: where a nudge
    // is found, one side moves, its far edge by at most a tenth of a pixel.
    const auto [twipsWide, twipsHigh] = stored.Twips();
    for (const int asked : {640, 1000, 1366, 1920, 2560, 3840}) {
      const bool portrait = twipsHigh > twipsWide;
      const double aspect = static_cast<double>(twipsHigh) / static_cast<double>(twipsWide);
      const int w = portrait ? static_cast<int>(std::llround(asked / aspect)) : asked;
      const int h = portrait ? asked : static_cast<int>(std::llround(asked * aspect));
      SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
      const std::optional<SlideSizeFit> nudged = stored.NearestDrawnAt(w, h);
      if (!nudged) continue;
      EXPECT_TRUE(nudged->RendererDraws(w, h));
      EXPECT_TRUE(nudged->widthEmu == stored.widthEmu || nudged->heightEmu == stored.heightEmu);
      const auto moved = [](std::int64_t to, std::int64_t from, int pixels) {
        return std::abs(static_cast<double>(to - from)) / static_cast<double>(from) * pixels;
      };
      const double shift = std::max(moved(nudged->widthEmu, stored.widthEmu, w),
                                    moved(nudged->heightEmu, stored.heightEmu, h));
      EXPECT_LE(shift, SlideSizeFit::kMaxShiftPixels + 0.01);
    }
  }
  // The default size itself is the one the renderer misses as stored.
  EXPECT_FALSE(sizes.at("widescreen 13.333 x 7.5").RendererDraws(1280, 720));
  EXPECT_TRUE(sizes.at("16:9").RendererDraws(960, 540));
  // A size whose height lies half a row from the renderer's is the export's:
  // no nudge small enough reaches it.
  EXPECT_FALSE(SlideSizeFit({10826750, 8120063}).NearestDrawnAt(1137, 853).has_value());
}

const char kPresentation[] =
    "<?xml version=\"1.0\"?><p:presentation xmlns:p=\"p\"><p:sldIdLst/>"
    "<p:sldSz cx=\"12192000\" cy=\"6858000\"/><p:notesSz cx=\"6858000\" cy=\"9144000\"/>"
    "</p:presentation>";

TEST(PresentationSizePart, RewritingTheCopyChangesItsSlideSizeAndNothingElse) {
  TempFolder folder;
  const std::string deck = (folder / "deck.pptx");
  const std::string slide(200000, 'x');
  WriteZip(deck, {{"ppt/presentation.xml", kPresentation}, {"ppt/slides/slide1.xml", slide}});

  const std::optional<PresentationSizePart> part = PresentationSizePart::Read(deck);
  ASSERT_TRUE(part.has_value());
  EXPECT_EQ(part->Size(), (SlideSizeFit{12192000, 6858000}));
  std::string error;
  ASSERT_TRUE(part->Write(deck, {12191760, 6858000}, &error)) << error;

  std::string expected = kPresentation;
  expected.replace(expected.find("12192000"), 8, "12191760");
  EXPECT_EQ(ReadEntry(deck, "ppt/presentation.xml"), expected);
  EXPECT_EQ(ReadEntry(deck, "ppt/slides/slide1.xml"), slide);
  EXPECT_EQ(PresentationSizePart::Read(deck)->Size(), (SlideSizeFit{12191760, 6858000}));
  // No stray file beside the copy.
  EXPECT_EQ(folder.Names().size(), 1u);
}

/// An OpenDocument styles part: a handout layout of another size first, then
/// the slides' layout, named by both master pages.
std::string OdpStyles(const char* secondMaster = "PM1", const char* width = "33.867cm") {
  return std::string("<office:document-styles><office:automatic-styles>"
                     "<style:page-layout style:name=\"PM0\"><style:page-layout-properties "
                     "fo:page-width=\"21cm\" fo:page-height=\"29.7cm\"/></style:page-layout>"
                     "<style:page-layout style:name=\"PM1\"><style:page-layout-properties "
                     "fo:margin-top=\"0cm\" fo:page-width=\"") +
         width + "\" fo:page-height=\"19.05cm\"/></style:page-layout></office:automatic-styles>"
                 "<office:master-styles><style:master-page style:name=\"A\" style:page-layout-name=\"PM1\"/>"
                 "<style:master-page style:name=\"B\" style:page-layout-name=\"" + secondMaster +
         "\"/></office:master-styles></office:document-styles>";
}

TEST(PresentationSizePart, AnOpenDocumentDecksSlideLayoutIsReadAndRewrittenInItsOwnUnits) {
  TempFolder folder;
  const std::string deck = (folder / "deck.odp");
  WriteZip(deck, {{"styles.xml", OdpStyles()}, {"content.xml", "<office:document-content/>"}});
  const std::optional<PresentationSizePart> part = PresentationSizePart::Read(deck);
  ASSERT_TRUE(part.has_value());
  // 33.867 x 19.05 cm: LibreOffice's hundredths of a millimetre, exactly.
  EXPECT_EQ(SlideSizeFit::HundredthsFromEmu(part->Size().widthEmu), 33867);
  EXPECT_EQ(SlideSizeFit::HundredthsFromEmu(part->Size().heightEmu), 19050);
  std::string error;
  ASSERT_TRUE(part->Write(deck, {33867 * 360, 19051 * 360}, &error)) << error;
  std::string expected = OdpStyles();
  expected.replace(expected.find("19.05cm"), 7, "19.051cm");
  EXPECT_EQ(ReadEntry(deck, "styles.xml"), expected);
  EXPECT_EQ(ReadEntry(deck, "content.xml"), "<office:document-content/>");

  // Master pages of two sizes, or a length in a unit LibreOffice's page
  // does not take, are not this part's to choose: left alone.
  WriteZip(deck, {{"styles.xml", OdpStyles("PM0")}});
  EXPECT_FALSE(PresentationSizePart::Read(deck).has_value());
  WriteZip(deck, {{"styles.xml", OdpStyles("PM1", "90%")}});
  EXPECT_FALSE(PresentationSizePart::Read(deck).has_value());
}

TEST(PresentationSizePart, DecksWhoseSizeCannotBeReadSafelyAreLeftAlone) {
  TempFolder folder;
  const auto unreadable = [&](const std::string& name, const std::map<std::string, std::string>& entries) {
    const std::string deck = (folder / name);
    WriteZip(deck, entries);
    return !PresentationSizePart::Read(deck).has_value();
  };
  EXPECT_TRUE(unreadable("no-part.pptx", {{"ppt/slides/slide1.xml", "x"}}));
  EXPECT_TRUE(unreadable("two-sizes.pptx",
                         {{"ppt/presentation.xml", "<p:sldSz cx=\"1\" cy=\"1\"/><p:sldSz cx=\"2\" cy=\"2\"/>"}}));
  EXPECT_TRUE(unreadable("not-a-number.pptx", {{"ppt/presentation.xml", "<p:sldSz cx=\"1e9\" cy=\"5\"/>"}}));
  EXPECT_TRUE(unreadable("zero.pptx", {{"ppt/presentation.xml", "<p:sldSz cx=\"0\" cy=\"6858000\"/>"}}));
  // A part that inflates past its bound is not read at all.
  EXPECT_TRUE(unreadable("huge.pptx", {{"ppt/presentation.xml", std::string(17u << 20, ' ') + kPresentation}}));
  const std::string text = (folder / "text.pptx");
  {
    std::FILE* file = std::fopen(text.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("not a zip", file);
    std::fclose(file);
  }
  EXPECT_FALSE(PresentationSizePart::Read(text).has_value());
  EXPECT_FALSE(PresentationSizePart::Read((folder / "missing.pptx")).has_value());
}

}  // namespace
}  // namespace qm::test
