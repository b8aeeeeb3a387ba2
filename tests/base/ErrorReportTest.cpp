#include <gtest/gtest.h>

#include <stdexcept>

#include "base/ApplicationTitle.h"
#include "base/Error.h"
#include "base/ErrorReport.h"
#include "base/ErrorTrap.h"
#include "tests/support/ScriptedUi.h"

using namespace qm;
using qm::test::ScriptedUi;

TEST(ErrorReport, TextIsExactBytes) {
  const std::string text = ErrorReportText(
      "File not found", LocationTag("Powerpoint1", "SaveXSlideAsImage"), 122);
  EXPECT_EQ(text,
            "File not found\r\nin Tessaly2021/08/31.Powerpoint1.SaveXSlideAsImage at line "
            "122\r\rPlease email screenshot of this message to support@quillmere.org");
}

TEST(ErrorReport, FolderScanUsesItsOwnPrefix) {
  EXPECT_EQ(LocationTag("AddFolder", "GetSubDirectories2016", kBrindleTagPrefix),
            "in Brindle2021/08/31.AddFolder.GetSubDirectories2016 ");
}

TEST(ErrorReport, ShownWithWarningIconAndApplicationErrorTitle) {
  ScriptedUi ui;
  ShowErrorReport(ui, "Boom", LocationTag("Form1", "PushButton7_Click"), 104);
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0].icon, MessageIcon::Warning);
  EXPECT_EQ(ui.calls[0].title, "Application Error");
  EXPECT_EQ(ui.calls[0].buttons, MessageButtons::Ok);
}

TEST(PlainMessage, HasNoIconAndTheApplicationTitle) {
  ScriptedUi ui;
  ui.yesNoAnswers = {MessageAnswer::No};
  EXPECT_EQ(ShowPlainMessage(ui, "Proceed?", MessageButtons::YesNo), MessageAnswer::No);
  EXPECT_EQ(ui.calls[0].icon, MessageIcon::None);
  EXPECT_EQ(ui.calls[0].title, ApplicationTitle());
}

TEST(ErrorTrap, FailedStepIsReportedWithItsLineAndTheNextStepStillRuns) {
  ScriptedUi ui;
  ErrorTrap trap(ui, "Powerpoint1", "SaveXSlideAsImage");
  std::vector<int> ran;
  EXPECT_TRUE(trap.Step(118, [&] { ran.push_back(118); }));
  EXPECT_FALSE(trap.Step(120, [&] { throw Error("Cannot open /in/deck.pptx"); }));
  EXPECT_FALSE(trap.Step(122, [&] { throw std::out_of_range("Slide 9 does not exist"); }));
  EXPECT_TRUE(trap.Step(124, [&] { ran.push_back(124); }));
  EXPECT_EQ(ran, (std::vector<int>{118, 124}));
  const auto reports = ui.Reports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(trap.Reports(), 2);
  EXPECT_EQ(test::ReportedLine(reports[0]), 120);
  EXPECT_EQ(reports[0].substr(0, 26), "Cannot open /in/deck.pptx\r");
  EXPECT_EQ(test::ReportedLine(reports[1]), 122);
}

TEST(ErrorTrap, FailedTestCountsAsPassed) {
  ScriptedUi ui;
  ErrorTrap trap(ui, "Powerpoint1", "SaveXSlideAsImage");
  bool guardedRan = false;
  if (trap.HoldsOrFails(124, []() -> bool { throw Error("No presentation"); })) {
    trap.Step(126, [&] { guardedRan = true; });
  }
  EXPECT_TRUE(guardedRan);
  EXPECT_FALSE(trap.HoldsOrFails(128, [] { return false; }));
  ASSERT_EQ(ui.Reports().size(), 1u);
  EXPECT_EQ(test::ReportedLine(ui.Reports()[0]), 124);
}

TEST(ErrorTrap, NonStandardExceptionStillGivesAReport) {
  ScriptedUi ui;
  ErrorTrap trap(ui, "M", "P");
  trap.Step(100, [] { throw 42; });
  ASSERT_EQ(ui.Reports().size(), 1u);
  EXPECT_EQ(ui.Reports()[0].substr(0, 18), "Unexpected error\r\n");
}

TEST(ApplicationTitle, CutsAtLeastOnceAndWhileLongerThanForty) {
  EXPECT_EQ(ApplicationTitleFrom("Quillmere"), "Quillmere");
  EXPECT_EQ(ApplicationTitleFrom("Quillmere Converter"), "Quillmere");
  EXPECT_EQ(ApplicationTitleFrom("Quillmere PPT to PNG Batch Converter Deluxe Edition 2021"),
            "Quillmere PPT to PNG Batch Converter");
  EXPECT_EQ(ApplicationTitleFrom("A B"), "A");
}
