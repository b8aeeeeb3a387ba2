// The start command through the UI double, converting in real job processes
// whose presentations are fakes (fake_quillmere_job): the path both front
// ends take, in the fast lane.

#include "engine/batch/BatchRun.h"
#include "imaging/writers/GdiPlusSession.h"

#include <stdlib.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "engine/batch/JobRunner.h"
#include "tests/support/FakeApplicationFactory.h"
#include "tests/support/PngTestReader.h"
#include "imaging/writers/SaveAsAny.h"
#include "engine/export/SaveModes.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"

using namespace qm;
using qm::test::FakeApplicationFactory;
using qm::test::ScriptedUi;
using qm::test::TempFolder;

namespace {

/// Run options held in plain fields, read live like the window's controls.
class Options : public RunOptions {
 public:
  std::vector<std::string> files;
  SaveMode mode = SaveMode::kFirstSlide;
  bool toFolder = true;
  std::string folder;
  bool beside = false;

  int FileCount() override { return static_cast<int>(files.size()); }
  std::string FileAt(int position) override {
    if (position < 1 || position > FileCount()) throw Error("no row");
    return files[position - 1];
  }
  SaveMode Mode() override { return mode; }
  bool SaveToFolder() override { return toFolder; }
  std::string OutputFolderText() override { return folder; }
  bool SaveBesideSource() override { return beside; }
  ConversionRequest request;
  ConversionRequest Request() override { return request; }
};

class BatchRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(imaging_.Start());  // as start-up does
    options_.folder = out_.Path();
    // Every run, also of a BatchRun made in a test, converts in fake jobs.
    ::setenv("QUILLMERE_JOB", QM_FAKE_JOB, 1);
    ::setenv("QM_FAKE_DECKS", "", 1);
  }
  void TearDown() override {
    imaging_.Stop();
    ::unsetenv("QUILLMERE_JOB");
    ::unsetenv("QM_FAKE_DECKS");
  }
  GdiPlusSession imaging_;  // as the program holds one for its run
  /// A deck of `slides` slides the fake jobs know, added to the list.
  std::string AddDeck(const std::string& name, int slides = 3) {
    const std::string path = in_ / name;
    decks_ += (decks_.empty() ? "" : ";") + path + "=" + std::to_string(slides);
    ::setenv("QM_FAKE_DECKS", decks_.c_str(), 1);
    options_.files.push_back(path);
    return path;
  }

  TempFolder in_, out_;
  std::string decks_;
  /// Asked only whether a presentation application runs already.
  FakeApplicationFactory factory_;
  ScriptedUi ui_;
  Options options_;
  /// One job, so files are converted (and shown) in list order.
  JobRunner runner_{QM_FAKE_JOB, 1};
  BatchRun run_ = MakeRun(ui_);

  BatchRun MakeRun(ScriptedUi& ui) {
    BatchRun run(factory_, ui, options_);
    run.SetJobRunner(&runner_);
    return run;
  }
};

const char* kWarning =
    "PowerPoint may be open. It is recommended that you close PowerPoint first.\r"
    "Use Ctrl+Alt+Del > Task Manager > POWERPNT.EXE if necessary.\r\n\r\n"
    "Would you like to proceed anyway?";

}  // namespace

TEST_F(BatchRunTest, EmptyListGivesOnlyItsMessage) {
  options_.folder = "/no/such/folder";
  run_.Start();
  EXPECT_EQ(ui_.Messages(), std::vector<std::string>{"No files added."});
  EXPECT_EQ(ui_.calls.size(), 1u);
  EXPECT_FALSE(run_.RunInProgress());
}

TEST_F(BatchRunTest, MissingFolderIsRefusedUnlessOutputGoesBesideTheSource) {
  AddDeck("deck.pptx");
  options_.folder = "";
  run_.Start();
  EXPECT_EQ(ui_.Messages(),
            std::vector<std::string>{"Folder does not exist. Please select another folder."});
  EXPECT_TRUE(factory_.log->empty());

  ScriptedUi besideUi;
  options_.toFolder = false;
  options_.beside = true;
  BatchRun(factory_, besideUi, options_).Start();  // a runner of its own: the fake job again
  EXPECT_EQ(besideUi.Messages(), std::vector<std::string>{"Done."});
  EXPECT_TRUE(test::FileIsPng(in_ / "deck_Slide1.png"));
}

TEST_F(BatchRunTest, NeitherOutputChoiceIsRefusedInsteadOfWritingToTheWorkingFolder) {
  AddDeck("deck.pptx");
  options_.toFolder = false;
  options_.beside = false;
  run_.Start();
  EXPECT_EQ(ui_.Messages(),
            std::vector<std::string>{"Folder does not exist. Please select another folder."});
  EXPECT_TRUE(out_.Names().empty());
}

TEST_F(BatchRunTest, ImagingThatFailedToStartRefusesTheRun) {
  AddDeck("deck.pptx");
  run_.SetGdiStartFailed(true);
  run_.Start();
  EXPECT_EQ(ui_.Messages(), std::vector<std::string>{"GDI+ Initialization Failed."});
  EXPECT_FALSE(run_.RunInProgress());
}

TEST_F(BatchRunTest, RunningApplicationWarningAnsweredNoEndsSilentlyBeforeAnyQuestion) {
  AddDeck("deck.pptx");
  options_.mode = SaveMode::kXSlide;
  factory_.instanceRunning = true;
  ui_.yesNoAnswers = {MessageAnswer::No};
  run_.Start();
  ASSERT_EQ(ui_.calls.size(), 1u);
  EXPECT_EQ(ui_.calls[0].text, kWarning);
  EXPECT_EQ(ui_.calls[0].buttons, MessageButtons::YesNo);
  EXPECT_TRUE(out_.Names().empty());
  EXPECT_FALSE(run_.RunInProgress());
}

TEST_F(BatchRunTest, RunningApplicationWarningAnsweredYesGoesOn) {
  AddDeck("deck.pptx");
  factory_.instanceRunning = true;
  ui_.yesNoAnswers = {MessageAnswer::Yes};
  run_.Start();
  EXPECT_EQ(ui_.Messages(), (std::vector<std::string>{kWarning, "Done."}));
  EXPECT_EQ(out_.Names(), std::vector<std::string>{"deck_Slide1.png"});
}

TEST_F(BatchRunTest, InstanceWithAnotherNameDoesNotCountAsRunning) {
  AddDeck("deck.pptx");
  factory_.instanceRunning = true;
  factory_.runningName = "Microsoft PowerPoint ";
  run_.Start();
  EXPECT_EQ(ui_.Messages(), std::vector<std::string>{"Done."});
}

TEST_F(BatchRunTest, XIsAskedUntilNumericOncePerRunAndRoundsHalfToEven) {
  AddDeck("a.pptx", 5);
  AddDeck("b.pptx", 5);
  options_.mode = SaveMode::kXSlide;
  ui_.inputAnswers = {"", "two", "2.5"};
  run_.Start();
  const auto inputs = ui_.CallsOf("input");
  ASSERT_EQ(inputs.size(), 3u);
  EXPECT_EQ(inputs[0].text, "Enter X: ");
  EXPECT_EQ(inputs[0].title, "Input X");
  EXPECT_EQ(ui_.Messages(), (std::vector<std::string>{"Must be a numeric entry.",
                                                       "Must be a numeric entry.", "Done."}));
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"a_Slide2.png", "b_Slide2.png"}));

  ScriptedUi second;
  second.inputAnswers = {"3.5"};
  BatchRun(factory_, second, options_).Start();  // a runner of its own: the fake job again
  EXPECT_TRUE(test::FileIsPng(out_ / "a_Slide4.png"));
}

// Asked again after a cancel, a person had no way out but typing a number.
TEST_F(BatchRunTest, XQuestionGivenUpEndsTheRunBeforeAnyFile) {
  AddDeck("a.pptx", 5);
  options_.mode = SaveMode::kXSlide;
  ui_.inputAnswers = {"two"};  // then Cancel
  run_.Start();
  EXPECT_EQ(ui_.CallsOf("input").size(), 2u);
  EXPECT_EQ(ui_.Messages(), std::vector<std::string>{"Must be a numeric entry."});
  EXPECT_TRUE(out_.Names().empty());
  EXPECT_FALSE(run_.RunInProgress());
}

TEST_F(BatchRunTest, XOutOfSixteenBitRangeIsOneReportPerFile) {
  AddDeck("a.pptx");
  AddDeck("b.pptx");
  options_.mode = SaveMode::kXSlide;
  ui_.inputAnswers = {"40000"};
  run_.Start();
  const auto reports = ui_.Reports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(test::ReportedLine(reports[0]), 166);
  EXPECT_NE(reports[0].find("Form1.PushButton2_Click "), std::string::npos);
  EXPECT_EQ(ui_.Messages().back(), "Done.");
}

TEST_F(BatchRunTest, ImageOptionIsShownOncePerRunAndItsChoiceReachesTheStitcher) {
  AddDeck("a.pptx", 2);
  AddDeck("b.pptx", 2);
  options_.mode = SaveMode::kAllSlides;
  ui_.directionAnswers = {2};
  run_.Start();
  EXPECT_EQ(ui_.CallsOf("direction").size(), 1u);
  EXPECT_EQ(run_.StitchDirection(), 2);
  EXPECT_EQ(test::ReadPng(out_ / "a.png").width, 2 * 96);
  EXPECT_TRUE(ui_.Reports().empty());
}

TEST_F(BatchRunTest, ProgressMeasuresFilesDoneThenResets) {
  AddDeck("a.pptx", 1);
  AddDeck("b.pptx", 1);
  AddDeck("c.pptx", 1);
  run_.Start();
  std::vector<int> values;
  for (const auto& c : ui_.CallsOf("progress value")) values.push_back(c.value);
  EXPECT_EQ(values, (std::vector<int>{0, 33, 66, 100, 0}));
  std::vector<std::string> texts;
  for (const auto& c : ui_.CallsOf("progress text")) texts.push_back(c.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Opening: a.pptx", "Processing: a.pptx", "Opening: b.pptx",
                                             "Processing: b.pptx", "Opening: c.pptx", "Processing: c.pptx",
                                             "Progress Bar"}));
  EXPECT_EQ(ui_.CurrentPointer(), Pointer::Default);
}

TEST_F(BatchRunTest, ABigDeckMovesTheBarSlideBySlideAndFillsItOnlyAtTheEnd) {
  AddDeck("big.pptx", 40);
  options_.mode = SaveMode::kEachSlide;
  run_.Start();
  std::vector<int> values;
  for (const auto& c : ui_.CallsOf("progress value")) values.push_back(c.value);
  ASSERT_GE(values.size(), 30u) << "the bar did not follow the slides";
  EXPECT_EQ(values.back(), 0);  // reset after the run
  values.pop_back();
  EXPECT_EQ(values.back(), 100);
  for (std::size_t i = 1; i < values.size(); ++i) EXPECT_GT(values[i], values[i - 1]) << "at " << i;
  EXPECT_LT(values[values.size() - 2], 100);
}

TEST_F(BatchRunTest, ReportsOfFilesConvertedSideBySideComeTogetherInListOrderNamingTheirFile) {
  // Four decks no job can open, two jobs: every file gives several reports.
  for (const char* name : {"w.pptx", "x.pptx", "y.pptx", "z.pptx"}) options_.files.push_back(in_ / name);
  // First in the list, a slow deck whose last slide fails: its report comes
  // after the other job has met every bad deck.
  AddDeck("slow.pptx", 6);
  std::rotate(options_.files.begin(), options_.files.end() - 1, options_.files.end());
  ::setenv("QM_FAKE_DECKS", (decks_ + "@60!").c_str(), 1);
  options_.mode = SaveMode::kEachSlide;
  JobRunner two(QM_FAKE_JOB, 2);
  run_.SetJobRunner(&two);
  run_.Start();
  const auto reports = ui_.Reports();
  ASSERT_GE(reports.size(), 8u);
  std::size_t file = 0;  // index in options_.files of the file reports are about now
  for (const std::string& report : reports) {
    while (file < options_.files.size() && report.find(options_.files[file] + ":") == std::string::npos) ++file;
    ASSERT_LT(file, options_.files.size()) << "out of list order, or not naming its file:\n" << report;
  }
  EXPECT_EQ(ui_.Messages().back(), "Done.");
}

TEST_F(BatchRunTest, FolderWithTrailingSeparatorStillWritesDirectlyIntoIt) {
  AddDeck("deck.pptx");
  options_.folder = out_.Path() + "/";
  run_.Start();
  EXPECT_EQ(out_.Names(), std::vector<std::string>{"deck_Slide1.png"});
}

TEST_F(BatchRunTest, SecondStartDuringARunReturnsAtOnce) {
  AddDeck("a.pptx");
  AddDeck("b.pptx");
  int nestedCalls = -1;
  ui_.onYield = [&] {
    if (nestedCalls >= 0) return;
    const std::size_t before = ui_.calls.size();
    run_.Start();
    nestedCalls = static_cast<int>(ui_.calls.size() - before);
  };
  run_.Start();
  EXPECT_EQ(nestedCalls, 0);
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"a_Slide1.png", "b_Slide1.png"}));
}

TEST_F(BatchRunTest, RowsRemovedDuringARunAreNeitherReadPastNorConvertedTwice) {
  AddDeck("a.pptx");
  AddDeck("b.pptx");
  AddDeck("c.pptx");
  bool removed = false;
  ui_.onYield = [&] {
    if (!removed && options_.files.size() == 3) {
      options_.files.erase(options_.files.begin());  // remove "a" while "a" is processed
      removed = true;
    }
  };
  run_.Start();
  // The rows were read before the jobs started: each file once, none past the list.
  EXPECT_TRUE(removed);
  EXPECT_EQ(out_.Names(),
            (std::vector<std::string>{"a_Slide1.png", "b_Slide1.png", "c_Slide1.png"}));
  EXPECT_TRUE(ui_.Reports().empty());
  EXPECT_EQ(ui_.Messages().back(), "Done.");
}

TEST_F(BatchRunTest, NoModeChosenLeavesFilesUntouched) {
  AddDeck("deck.pptx");
  options_.mode = SaveMode::kNone;
  run_.Start();
  EXPECT_TRUE(out_.Names().empty());
  EXPECT_EQ(ui_.Messages(), std::vector<std::string>{"Done."});
}

TEST(SlideNumberFromText, NumericRulesAndRounding) {
  EXPECT_TRUE(IsNumeric(" 12 "));
  EXPECT_TRUE(IsNumeric("-3.5e0"));
  EXPECT_FALSE(IsNumeric(""));
  EXPECT_FALSE(IsNumeric("1x"));
  EXPECT_FALSE(IsNumeric("inf"));
  EXPECT_FALSE(IsNumeric("."));
  EXPECT_EQ(SlideNumberFromText("2.5"), 2);
  EXPECT_EQ(SlideNumberFromText("3.5"), 4);
  EXPECT_EQ(SlideNumberFromText("-0.5"), 0);
  EXPECT_EQ(SlideNumberFromText("32767.4"), 32767);
  EXPECT_THROW(SlideNumberFromText("32767.5"), Error);
  EXPECT_THROW(SlideNumberFromText("-32769"), Error);
}

TEST_F(BatchRunTest, ChosenSlidesAreWrittenUnderTheirOwnNumbersPaddedToTheSlideCount) {
  AddDeck("deck.pptx", 12);
  options_.mode = SaveMode::kEachSlide;
  options_.request.slides = {{1, 1}, {10, 0}};
  options_.request.padNumbers = true;
  run_.Start();
  EXPECT_TRUE(ui_.Reports().empty()) << ui_.Reports().front();
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"deck_Slide01.png", "deck_Slide10.png",
                                                    "deck_Slide11.png", "deck_Slide12.png"}));
}
