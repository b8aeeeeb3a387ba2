// What quillmere-batch gives of a slide beyond its picture, end to end with
// LibreOffice: each click state of its animations, its notes and title, and
// the fonts its deck was drawn without.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/DeckCatalog.h"
#include "tests/support/PngTestReader.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;

namespace {

struct BatchRun {
  int exitCode = -1;
  std::string out;  ///< standard output
  std::string err;  ///< standard error
};

/// Runs quillmere-batch with `args`, keeping both its outputs.
BatchRun RunBatch(const std::vector<std::string>& args, const TempFolder& scratch) {
  const std::string errPath = scratch / "stderr.txt";
  std::string command = "'" QM_BATCH_BIN "'";
  for (const auto& a : args) command += " '" + a + "'";
  command += " 2>'" + errPath + "'";
  BatchRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errPath);
  std::stringstream text;
  text << err.rdbuf();
  run.err = text.str();
  return run;
}

/// The --json record of the deck at `path` in `out`.
nlohmann::json RecordOf(const std::string& out, const std::string& path) {
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    const nlohmann::json record = nlohmann::json::parse(line, nullptr, false);
    if (record.is_object() && record.value("path", "") == path) return record;
  }
  ADD_FAILURE() << "no record of " << path << " in:\n" << out;
  return nlohmann::json::object();
}

/// decks.json's entry for `name`: what make_decks.py put in a deck.
nlohmann::json ManifestEntry(const std::string& name) {
  std::ifstream in(DeckCatalog::Default().PathOf("decks.json"));
  const nlohmann::json manifest = nlohmann::json::parse(in, nullptr, false);
  return manifest.is_object() ? manifest["decks"][name] : nlohmann::json();
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

Pixel PixelOf(const nlohmann::json& rgb) {
  return {std::uint8_t(rgb[0].get<int>()), std::uint8_t(rgb[1].get<int>()), std::uint8_t(rgb[2].get<int>())};
}

class SlideExtras : public ::testing::Test {
 protected:
  const DeckCatalog& decks_ = DeckCatalog::Default();
  TempFolder out_;
  TempFolder scratch_;
};

}  // namespace

/// How many pixels of `image` are nearly black (text in black).
std::size_t BlackPixels(const RgbImage& image) {
  std::size_t count = 0;
  for (std::size_t i = 0; i + 2 < image.rgb.size(); i += 3)
    count += image.rgb[i] < 60 && image.rgb[i + 1] < 60 && image.rgb[i + 2] < 60;
  return count;
}

// Slide 1's squares enter on three clicks; slide 2's leave, the second click
// taking two at once (one "with previous"); slide 3 has no animation;
// slide 4's text enters a paragraph a click.
TEST_F(SlideExtras, EachClickStateShowsTheShapesItsClicksBroughtOrTookAway) {
  const nlohmann::json clicks = ManifestEntry("clicks.pptx")["clicks"];
  ASSERT_TRUE(clicks.is_object()) << "decks.json describes no click deck";
  const BatchRun run = RunBatch({"--steps", "-o", out_.Path(), decks_.PathOf("clicks.pptx")}, scratch_);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{
                              "clicks_Slide1_Step0.png", "clicks_Slide1_Step1.png", "clicks_Slide1_Step2.png",
                              "clicks_Slide1_Step3.png", "clicks_Slide2_Step0.png", "clicks_Slide2_Step1.png",
                              "clicks_Slide2_Step2.png", "clicks_Slide3.png", "clicks_Slide4_Step0.png",
                              "clicks_Slide4_Step1.png", "clicks_Slide4_Step2.png", "clicks_Slide4_Step3.png"}));
  // Which of the three squares shows, by state.
  const std::vector<std::pair<std::string, std::vector<bool>>> expected = {
      {"clicks_Slide1_Step0.png", {false, false, false}}, {"clicks_Slide1_Step1.png", {true, false, false}},
      {"clicks_Slide1_Step2.png", {true, true, false}},   {"clicks_Slide1_Step3.png", {true, true, true}},
      {"clicks_Slide2_Step0.png", {true, true, true}},    {"clicks_Slide2_Step1.png", {false, true, true}},
      {"clicks_Slide2_Step2.png", {false, false, false}}, {"clicks_Slide3.png", {true, true, true}}};
  const Pixel background = PixelOf(clicks["background"]);
  for (const auto& [name, shows] : expected) {
    const RgbImage image = ReadPng(out_ / name);
    ASSERT_EQ(image.width, 960) << name;
    for (int i = 0; i < 3; ++i) {
      // The square's middle, from its place in EMU (9525 to the pixel).
      const nlohmann::json& box = clicks["boxes"][i];
      const int side = box[2].get<int>() / 9525;
      const Pixel at = PixelAt(image, box[0].get<int>() / 9525 + side / 2, box[1].get<int>() / 9525 + side / 2);
      const Pixel want = shows[static_cast<std::size_t>(i)] ? PixelOf(clicks["colours"][i]) : background;
      EXPECT_TRUE(Near(at, want, decks_.Tolerance()))
          << name << ", square " << i + 1 << ": " << int(at[0]) << "," << int(at[1]) << "," << int(at[2]);
    }
  }
  // Text that enters a paragraph a click never vanishes: where the
  // renderer draws the shape as one layer (LibreOffice 25.2) it shows whole
  // in every state and the run says so; where it draws each paragraph apart
  // (26.8), each click brings one more line.
  std::vector<std::size_t> black;
  for (int step = 0; step <= 3; ++step)
    black.push_back(BlackPixels(ReadPng(out_ / ("clicks_Slide4_Step" + std::to_string(step) + ".png"))));
  if (run.err.find("slide 4's click states: effects on parts of a shape") != std::string::npos) {
    for (int step = 0; step <= 3; ++step) EXPECT_GT(black[step], 100u) << "state " << step << " lost the text";
  } else {
    EXPECT_EQ(black[0], 0u) << "no line before the first click";
    for (int step = 1; step <= 3; ++step) EXPECT_GT(black[step], black[step - 1] + 50) << "state " << step;
  }
}

TEST_F(SlideExtras, NotesAndTitlesReachTheRecordsAndTheNotesFilesWhole) {
  const nlohmann::json slides = ManifestEntry("notes3.pptx")["slideFacts"];
  ASSERT_EQ(slides.size(), 3u);
  const std::string deck = decks_.PathOf("notes3.pptx");
  const BatchRun run = RunBatch({"--json", "--notes", "-o", out_.Path(), deck}, scratch_);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const nlohmann::json details = RecordOf(run.out, deck)["slideDetails"];
  ASSERT_EQ(details.size(), 3u) << run.out;
  for (std::size_t i = 0; i < 3; ++i) {
    const nlohmann::json& slide = details[i];
    EXPECT_EQ(slide["number"], static_cast<int>(i) + 1);
    EXPECT_EQ(slide["hidden"], false);
    EXPECT_EQ(slide["title"], slides[i]["title"]) << i + 1;
    // The notes with their paragraphs (LibreOffice 25.2 runs them
    // together), and no prompt for a slide without notes.
    const std::string notes = slide["notes"].get<std::string>();
    EXPECT_EQ(notes, slides[i]["notes"].get<std::string>()) << "slide " << i + 1;
    // The notes file holds the record's notes, byte for byte (UTF-8).
    const std::string file = out_ / ("notes3_Slide" + std::to_string(i + 1) + ".txt");
    EXPECT_EQ(slide["notesFile"], file);
    EXPECT_EQ(ReadText(file), notes);
  }
}

TEST_F(SlideExtras, AFontNoMachineHasIsNamedAndRefusedWhenAsked) {
  const std::string fonts = decks_.PathOf("fonts.pptx");
  const std::string plain = decks_.PathOf("std4.pptx");
  const std::string font = ManifestEntry("fonts.pptx")["fontsMissing"][0].get<std::string>();
  const BatchRun drawn = RunBatch({"--json", "-o", out_.Path(), fonts, plain}, scratch_);
  ASSERT_EQ(drawn.exitCode, 0) << drawn.err;
  EXPECT_EQ(RecordOf(drawn.out, fonts)["fontsMissing"], nlohmann::json::array({font}));
  EXPECT_EQ(RecordOf(drawn.out, plain)["fontsMissing"], nlohmann::json::array());
  EXPECT_NE(drawn.err.find(fonts + ": " + font), std::string::npos) << drawn.err;

  TempFolder refused;
  const BatchRun strict = RunBatch({"--fail-on-missing-fonts", "-q", "-o", refused.Path(), fonts, plain}, scratch_);
  EXPECT_EQ(strict.exitCode, 1) << strict.err;
  EXPECT_NE(strict.err.find(font), std::string::npos) << strict.err;
  // Nothing of the refused deck, all of the other.
  EXPECT_EQ(refused.Names(), (std::vector<std::string>{"std4_Slide1.png", "std4_Slide2.png", "std4_Slide3.png",
                                                       "std4_Slide4.png"}));
}
