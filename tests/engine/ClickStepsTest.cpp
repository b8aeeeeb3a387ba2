// The click states of a slide, read from the animation tree as LibreOffice
// 25.2's presentation information gives it, and laid together from layers.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "engine/worker/ClickSteps.h"
#include "engine/worker/PresentationInfo.h"
#include "engine/worker/SlideLayers.h"

namespace qm {
namespace {

/// One effect node as LibreOffice writes it: `nodeType` OnClick,
/// WithPrevious or AfterPrevious, `preset` Entrance, Exit, Emphasis...
nlohmann::json Effect(const std::string& nodeType, const std::string& preset, const std::string& shape) {
  return {{"nodeName", "Par"}, {"begin", "0s"}, {"fill", "Hold"}, {"nodeType", nodeType},
          {"presetClass", preset}, {"presetId", "ooo-entrance-appear"},
          {"children", {{{"nodeName", "Set"}, {"begin", "0s"}, {"dur", "0.001s"},
                         {"targetElement", shape}, {"attributeName", "Visibility"},
                         {"to", preset == "Exit" ? "hidden" : "visible"}}}}};
}

/// A main sequence group: `begin` OnNext for one that waits for a click.
nlohmann::json Group(const std::string& begin, std::vector<nlohmann::json> effects) {
  return {{"nodeName", "Par"}, {"begin", begin}, {"fill", "Hold"},
          {"children", {{{"nodeName", "Par"}, {"begin", "0s"}, {"fill", "Hold"}, {"children", effects}}}}};
}

nlohmann::json Animations(std::vector<nlohmann::json> groups) {
  return {{"root", {{"nodeName", "Par"}, {"nodeType", "TimingRoot"},
                    {"children", {{{"nodeName", "Seq"}, {"nodeType", "MainSequence"}, {"children", groups}}}}}}};
}

TEST(ClickSteps, EntrancesShowAndExitsHideAtTheClickThatStartsThem) {
  // Click 1: A enters, and B with it; click 2: A leaves, then C enters
  // after it on its own; an emphasis on B changes nothing.
  const ClickSteps steps = ClickSteps::Read(Animations(
      {Group("OnNext", {Effect("OnClick", "Entrance", "A"), Effect("WithPrevious", "Entrance", "B")}),
       Group("OnNext", {Effect("OnClick", "Exit", "A"), Effect("AfterPrevious", "Emphasis", "B")}),
       Group("0s", {Effect("AfterPrevious", "Entrance", "C")})}));
  ASSERT_EQ(steps.Clicks(), 2);
  const auto shown = [&](int step) {
    return std::vector<bool>{steps.Visible("A", false, step), steps.Visible("B", false, step),
                             steps.Visible("C", false, step), steps.Visible("D", true, step)};
  };
  EXPECT_EQ(shown(0), (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(shown(1), (std::vector<bool>{true, true, false, true}));
  EXPECT_EQ(shown(2), (std::vector<bool>{false, true, true, true}));
  EXPECT_EQ(shown(9), shown(2)) << "past the last click stays the last state";
  // A shape no effect names whole (its paragraphs are named) shows throughout.
  EXPECT_TRUE(steps.Visible("E", false, 0));
}

TEST(ClickSteps, EffectsBeforeTheFirstClickAreTheSlidesStartAndBrokenTreesHaveNoClicks) {
  const ClickSteps steps = ClickSteps::Read(
      Animations({Group("0s", {Effect("AfterPrevious", "Entrance", "A")}),
                  Group("OnNext", {Effect("OnClick", "Exit", "A")})}));
  ASSERT_EQ(steps.Clicks(), 1);
  EXPECT_TRUE(steps.Visible("A", false, 0));
  EXPECT_FALSE(steps.Visible("A", false, 1));
  for (const char* broken : {R"({"root": 3})", R"({"root": {"children": {"a": 1}}})", "[]", "null"})
    EXPECT_EQ(ClickSteps::Read(nlohmann::json::parse(broken)).Clicks(), 0) << broken;
}

TEST(PresentationInfo, PromptsAndDefaultNamesAreNoNotesOrTitlesAndPlaceholderFontsNoFonts) {
  const std::string info =
      R"({"slides": [{"index": 0, "notes": "Click to add Notes"}, {"index": 1, "notes": "Say it slowly."},
                     {"index": 7, "notes": "no such slide"}, {"index": "x"}]})";
  const PresentationInfo read =
      PresentationInfo::Read(info, {"Slide 1", "Quarterly figures"}, {false, true}, {"+mn-lt", "Corbel", "Corbel"});
  ASSERT_EQ(read.facts.slides.size(), 2u);
  EXPECT_EQ(read.facts.slides[0], (SlideFacts{1, false, "", "", 0, ""}));
  EXPECT_EQ(read.facts.slides[1], (SlideFacts{2, true, "Quarterly figures", "Say it slowly.", 0, ""}));
  EXPECT_EQ(read.facts.fontsMissing, std::vector<std::string>{"Corbel"});
  EXPECT_EQ(ReadMissingFonts(R"({ "fontsmissing": [ "+mj-ea", "Algerian", 4 ] })"),
            std::vector<std::string>{"Algerian"});
  EXPECT_TRUE(ReadMissingFonts("{ broken").empty());
}

TEST(SlideLayers, AStateLaysOnlyItsVisibleShapesOverTheRestInOrder) {
  // Three layers of one pixel: an opaque grey ground, shape A (half-covering
  // red, premultiplied) and shape B (opaque blue) over it.
  SlideLayers layers;
  layers.Start(0, 1, 1, false);
  const auto draw = [&](std::initializer_list<std::uint8_t> bgra, const std::string& shape, bool visible) {
    std::uint8_t* pixel = layers.Next();
    ASSERT_NE(pixel, nullptr);
    std::copy(bgra.begin(), bgra.end(), pixel);
    layers.Keep(shape, visible);
  };
  draw({100, 100, 100, 255}, "", true);
  draw({0, 0, 128, 128}, "A", false);
  draw({200, 0, 0, 255}, "B", true);
  layers.Finish();
  EXPECT_TRUE(layers.Holds(0, 1, 1, false));
  EXPECT_FALSE(layers.Holds(0, 1, 1, true));
  const ClickSteps steps = ClickSteps::Read(
      Animations({Group("OnNext", {Effect("OnClick", "Entrance", "A")}),
                  Group("OnNext", {Effect("OnClick", "Exit", "B")})}));
  std::vector<std::uint8_t> out;
  layers.Compose(steps, 0, &out);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{200, 0, 0, 255})) << "B covers the ground; A not yet in";
  layers.Compose(steps, 2, &out);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{50, 50, 178, 255})) << "A over the ground, B gone";
}

}  // namespace
}  // namespace qm
