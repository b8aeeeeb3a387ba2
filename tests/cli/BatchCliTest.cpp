// quillmere-batch end to end, with LibreOffice, on the generated decks: names,
// sizes, colours and exit status in every mode.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "tests/support/DeckCatalog.h"
#include "tests/support/PngTestReader.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;

namespace {

struct Outcome {
  int exitCode = -1;
  std::string errorText;  ///< everything written to standard error
};

/// Runs quillmere-batch with `args` and waits for it.
Outcome RunBatch(const std::vector<std::string>& args) {
  std::string command = "'" QM_BATCH_BIN "'";
  for (const auto& a : args) command += " '" + a + "'";
  command += " 2>&1 >/dev/null";
  Outcome outcome;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return outcome;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.errorText.append(buffer, n);
  const int status = ::pclose(pipe);
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

Pixel ToPixel(const std::array<int, 3>& c) {
  return {std::uint8_t(c[0]), std::uint8_t(c[1]), std::uint8_t(c[2])};
}

/// The pixel 10% in from the top-left corner of slide area (x0, y0, w, h).
Pixel Sample(const RgbImage& png, int x0, int y0, int w, int h) {
  return PixelAt(png, x0 + w / 10, y0 + h / 10);
}

class BatchCli : public ::testing::Test {
 protected:
  std::size_t CountOfReports(const std::string& text) const {
    std::size_t count = 0;
    for (auto at = text.find("Please email"); at != std::string::npos;
         at = text.find("Please email", at + 1))
      ++count;
    return count;
  }
  const DeckCatalog& decks_ = DeckCatalog::Default();
  TempFolder out_;
};

}  // namespace

TEST_F(BatchCli, EachModeWritesEverySlideAndExitsZero) {
  const auto& wide = decks_.Deck("wide3.pptx");
  const auto& std4 = decks_.Deck("std4.ppt");
  const auto outcome = RunBatch({"-o", out_.Path(), wide.path, std4.path});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.errorText;
  EXPECT_EQ(out_.Names().size(), 7u);
  for (int n = 1; n <= 4; ++n) {
    const auto png = ReadPng(out_ / ("std4_Slide" + std::to_string(n) + ".png"));
    EXPECT_EQ(png.width, std4.widthPx);
    EXPECT_EQ(png.height, std4.heightPx);
    EXPECT_TRUE(Near(Sample(png, 0, 0, png.width, png.height), ToPixel(std4.colours[n - 1]),
                     decks_.Tolerance()));
  }
}

TEST_F(BatchCli, SingleSlideModesPickTheirSlide) {
  const auto& deck = decks_.Deck("hidden5.pptx");
  for (const auto& [mode, slide] : std::vector<std::pair<std::vector<std::string>, int>>{
           {{"-m", "first"}, 1}, {{"-m", "second"}, 2}, {{"-m", "slide", "-x", "2.5"}, 2},
           {{"-m", "slide", "-x", "3"}, 3}}) {
    TempFolder out;
    auto args = mode;
    args.insert(args.end(), {"-o", out.Path(), deck.path});
    const auto outcome = RunBatch(args);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.errorText;
    const std::string name = "hidden5_Slide" + std::to_string(slide) + ".png";
    ASSERT_EQ(out.Names(), std::vector<std::string>{name});
    const auto png = ReadPng(out / name);
    EXPECT_TRUE(Near(Sample(png, 0, 0, png.width, png.height), ToPixel(deck.colours[slide - 1]),
                     decks_.Tolerance()))
        << name;
  }
}

TEST_F(BatchCli, AllModeJoinsRightOrDown) {
  const auto& deck = decks_.Deck("wide3.pptx");
  auto outcome = RunBatch({"-m", "all", "-d", "right", "-o", out_.Path(), deck.path});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.errorText;
  auto png = ReadPng(out_ / "wide3.png");
  EXPECT_EQ(png.width, deck.widthPx * 3);
  EXPECT_EQ(png.height, deck.heightPx);
  for (int n = 1; n <= 3; ++n)
    EXPECT_TRUE(Near(Sample(png, deck.widthPx * (n - 1), 0, deck.widthPx, deck.heightPx),
                     ToPixel(deck.colours[n - 1]), decks_.Tolerance()));

  outcome = RunBatch({"-m", "all", "-o", out_.Path(), deck.path});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.errorText;
  png = ReadPng(out_ / "wide3.png");
  EXPECT_EQ(png.width, deck.widthPx);
  EXPECT_EQ(png.height, deck.heightPx * 3 + 3);
  EXPECT_EQ(out_.Names(), std::vector<std::string>{"wide3.png"});
}

TEST_F(BatchCli, BrokenFilesAreReportedOnceEachAndGoodFilesStillConvert) {
  const auto outcome = RunBatch({"-m", "first", "-j", "2", "-o", out_.Path(),
                                 decks_.PathOf("notes.pptx"), decks_.Deck("wide3.pptx").path,
                                 decks_.PathOf("truncated.pptx"), decks_.Deck("std4.pptx").path});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"std4_Slide1.png", "wide3_Slide1.png"}));
  // Each broken file: its open fails (and the steps after it) in one procedure.
  EXPECT_NE(outcome.errorText.find("notes.pptx"), std::string::npos);
  EXPECT_NE(outcome.errorText.find("truncated.pptx"), std::string::npos);
  EXPECT_EQ(CountOfReports(outcome.errorText), 8u) << outcome.errorText;
}

TEST_F(BatchCli, BesideWritesNextToTheSourceAndUsageErrorsExitTwo) {
  TempFolder in;
  std::filesystem::copy_file(decks_.Deck("custom2.pptx").path, in / "talk.pptx");
  auto outcome = RunBatch({"-b", "-m", "second", in / "talk.pptx"});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.errorText;
  EXPECT_TRUE(FileIsPng(in / "talk_Slide2.png"));

  EXPECT_EQ(RunBatch({"-o", "/no/such/folder", in / "talk.pptx"}).exitCode, 2);
  EXPECT_EQ(RunBatch({"-m", "slide", "-x", "abc", in / "talk.pptx"}).exitCode, 2);
  EXPECT_EQ(RunBatch({"--bogus"}).exitCode, 2);
  EXPECT_EQ(RunBatch({}).exitCode, 2);
}

TEST_F(BatchCli, FolderArgumentTakesMatchingFilesFromSubFolders) {
  TempFolder in;
  std::filesystem::create_directories(in / "sub/deeper");
  std::filesystem::copy_file(decks_.Deck("wide3.pptx").path, in / "sub/deeper/a.pptx");
  std::filesystem::copy_file(decks_.PathOf("sheet.xlsx"), in / "sub/b.xlsx");
  const auto outcome = RunBatch({"-m", "first", "-o", out_.Path(), in.Path()});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.errorText;
  EXPECT_EQ(out_.Names(), std::vector<std::string>{"a_Slide1.png"});
}
