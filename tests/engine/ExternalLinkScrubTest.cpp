// The renderer's copy of a deck loses every link that drawing could follow,
// in the four forms decks reached outside with, and keeps everything else.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "engine/worker/ExternalLinkScrub.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestZip.h"

namespace qm::test {
namespace {

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(ExternalLinkScrub, EveryLinkKindThatReachedOutsideIsTakenOutOfTheCopyAndNothingElse) {
  TempFolder folder;
  const std::string pptx = folder / "deck.pptx";
  const std::string rels =
      "<?xml version=\"1.0\"?><Relationships xmlns=\"r\">"
      "<Relationship Id=\"rId1\" Type=\"x/slideLayout\" Target=\"../slideLayouts/slideLayout1.xml\"/>"
      // A shape's fill and a picture, both linked to a file of this computer.
      "<Relationship Id=\"rId2\" Type=\"x/image\" Target=\"file:///usr/share/icons/a.png\" TargetMode=\"External\"/>"
      // A linked video: TargetMode before Type, and a closing tag.
      "<Relationship TargetMode='External' Id='rId3' Type='x/video' Target='file:///dev/shm/v.mp4'></Relationship>"
      "<Relationship Id=\"rId4\" Type=\"x/hyperlink\" Target=\"https://example.org/\" TargetMode=\"External\"/>"
      "<Relationship Id=\"rId5\" Type=\"x/image\" Target=\"../media/image1.svg\"/>"
      "</Relationships>";
  const std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">"
      "<image title=\"a > b\" xlink:href=\"file:///usr/share/icons/b.png\" width=\"9\"/>"
      "<image href='/etc/c.png'/><use href=\"#shape\"/><image href=\"data:image/png;base64,AAAA\"/></svg>";
  WriteZip(pptx, {{"[Content_Types].xml", "<Types/>"},
                  {"ppt/presentation.xml", "<p:presentation/>"},
                  {"ppt/slides/_rels/slide1.xml.rels", rels},
                  {"ppt/media/image1.svg", svg}});
  ScrubbedLinks done;
  std::string error;
  ASSERT_TRUE(ScrubExternalLinks(pptx, &done, &error)) << error;
  EXPECT_TRUE(done.changed);
  EXPECT_EQ(done.removed, 4);
  const std::string newRels = ReadEntry(pptx, "ppt/slides/_rels/slide1.xml.rels");
  EXPECT_FALSE(Holds(newRels, "rId2")) << newRels;
  EXPECT_FALSE(Holds(newRels, "rId3")) << newRels;
  EXPECT_TRUE(Holds(newRels, "https://example.org/")) << "a hyperlink is followed only on a click";
  EXPECT_TRUE(Holds(newRels, "../slideLayouts/slideLayout1.xml"));
  EXPECT_TRUE(Holds(newRels, "../media/image1.svg"));
  const std::string newSvg = ReadEntry(pptx, "ppt/media/image1.svg");
  EXPECT_FALSE(Holds(newSvg, "file:")) << newSvg;
  EXPECT_FALSE(Holds(newSvg, "/etc/c.png")) << newSvg;
  EXPECT_TRUE(Holds(newSvg, "href=\"#shape\"") && Holds(newSvg, "data:image/png")) << newSvg;
  EXPECT_EQ(ReadEntry(pptx, "ppt/presentation.xml"), "<p:presentation/>");

  // An OpenDocument presentation's fill image and picture, linked.
  const std::string odp = folder / "deck.odp";
  const std::string styles =
      "<office:document-styles><draw:fill-image draw:name=\"f\" xlink:href=\"file:///usr/share/icons/d.png\"/>"
      "<draw:fill-image draw:name=\"g\" xlink:href=\"Pictures/inside.png\"/></office:document-styles>";
  const std::string content =
      "<office:document-content><draw:frame><draw:image xlink:href=\"../outside/e.png\"/></draw:frame>"
      "<text:a xlink:href=\"https://example.org/\">x</text:a>"
      "<draw:image xlink:href=\"vnd.sun.star.GraphicObject:1000\"/></office:document-content>";
  WriteZip(odp, {{"mimetype", "application/vnd.oasis.opendocument.presentation"},
                 {"content.xml", content},
                 {"styles.xml", styles}});
  ASSERT_TRUE(ScrubExternalLinks(odp, &done, &error)) << error;
  EXPECT_EQ(done.removed, 2);
  const std::string newStyles = ReadEntry(odp, "styles.xml");
  const std::string newContent = ReadEntry(odp, "content.xml");
  EXPECT_FALSE(Holds(newStyles, "d.png")) << newStyles;
  EXPECT_TRUE(Holds(newStyles, "Pictures/inside.png")) << newStyles;
  EXPECT_FALSE(Holds(newContent, "e.png")) << newContent;
  EXPECT_TRUE(Holds(newContent, "https://example.org/") && Holds(newContent, "GraphicObject:1000")) << newContent;

  // What is no zip (a .ppt, a damaged file) is left as it is.
  const std::string ppt = folder / "deck.ppt";
  std::ofstream(ppt, std::ios::binary) << "not a zip";
  ASSERT_TRUE(ScrubExternalLinks(ppt, &done, &error)) << error;
  EXPECT_FALSE(done.changed);
}

}  // namespace
}  // namespace qm::test
