// quillmere-batch's option checks, job plan and event lines.

#include <gtest/gtest.h>

#include "cli/CommandLine.h"
#include "cli/JobEvent.h"
#include "cli/JobPlan.h"
#include "engine/export/SaveModes.h"
#include "tests/support/TempFolder.h"

using namespace qm;

namespace {
std::optional<CommandLine> Parse(std::vector<std::string> args, std::string* error) {
  return ParseCommandLine(args, error);
}
}  // namespace

TEST(CommandLine, DefaultsAreEachSlideIntoTheCurrentFolder) {
  std::string error;
  const auto cl = Parse({"deck.pptx"}, &error);
  ASSERT_TRUE(cl) << error;
  EXPECT_EQ(cl->modeText, kModeEachSlide);
  EXPECT_FALSE(cl->beside);
  EXPECT_FALSE(cl->outputFolder.empty());
  EXPECT_EQ(cl->extension, "ppt*");
  EXPECT_GE(cl->jobs, 1);
  EXPECT_EQ(cl->paths, std::vector<std::string>{"deck.pptx"});
}

TEST(CommandLine, EveryOptionFormIsUnderstood) {
  test::TempFolder out;
  std::string error;
  const auto cl = Parse({"-m", "slide", "--slide=2.5", "-o", out.Path(), "-j3", "-e", "odp", "-q",
                         "--", "-odd-name.pptx"},
                        &error);
  ASSERT_TRUE(cl) << error;
  EXPECT_EQ(cl->modeText, kModeXSlide);
  EXPECT_EQ(cl->slideText, "2.5");
  EXPECT_EQ(cl->outputFolder, out.Path());
  EXPECT_EQ(cl->jobs, 3);
  EXPECT_EQ(cl->extension, "odp");
  EXPECT_TRUE(cl->quiet);
  EXPECT_EQ(cl->paths, std::vector<std::string>{"-odd-name.pptx"});

  const auto all = Parse({"--mode", "all", "--direction", "right", "--beside", "a.ppt"}, &error);
  ASSERT_TRUE(all) << error;
  EXPECT_EQ(all->modeText, kModeAllSlides);
  EXPECT_EQ(all->direction, 2);
  EXPECT_TRUE(all->beside);
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--frobnicate", "a.pptx"}, "Unknown option --frobnicate"},
      {{"a.pptx", "-o"}, "Option -o needs a folder"},
      {{"-m", "slide", "-x", "two", "a.pptx"}, "\"two\" is not numeric"},
      {{"-m", "slide", "a.pptx"}, "needs the slide number"},
      {{"-m", "every", "a.pptx"}, "Unknown mode \"every\""},
      {{"-d", "up", "a.pptx"}, "Unknown direction \"up\""},
      {{"-o", "/no/such/folder/anywhere", "a.pptx"}, "/no/such/folder/anywhere does not exist"},
      {{"-j", "0", "a.pptx"}, "must be a whole number"},
      {{"-q=yes", "a.pptx"}, "takes no value"},
      {{}, "Nothing to convert"},
  };
  for (const auto& [args, expected] : cases) {
    std::string error;
    EXPECT_FALSE(Parse(args, &error)) << expected;
    EXPECT_NE(error.find(expected), std::string::npos) << "got: " << error;
  }
}

TEST(JobPlan, FilesWritingTheSameOutputNameStayInOneShareInListOrder) {
  const std::vector<std::string> files = {"/in/deck.ppt", "/in/a.pptx", "/in/b.pptx",
                                          "/other/deck.pptx", "/in/c.pptx"};
  const auto shares = PlanJobs(files, 2, false);
  ASSERT_EQ(shares.size(), 2u);
  for (const auto& share : shares) {
    const auto first = std::find(share.begin(), share.end(), "/in/deck.ppt");
    if (first == share.end()) continue;
    const auto second = std::find(share.begin(), share.end(), "/other/deck.pptx");
    ASSERT_NE(second, share.end()) << "deck.ppt and deck.pptx were split";
    EXPECT_LT(first, second) << "the later file must still win";
  }
  std::size_t total = 0;
  for (const auto& share : shares) total += share.size();
  EXPECT_EQ(total, files.size());
}

TEST(JobPlan, BesideSourcesOnlyTheSameFolderCollides) {
  const auto shares = PlanJobs({"/x/deck.ppt", "/y/deck.pptx"}, 2, true);
  EXPECT_EQ(shares.size(), 2u);
  EXPECT_EQ(PlanJobs({"/x/deck.ppt", "/x/deck.pptx"}, 2, true).size(), 1u);
}

TEST(JobPlan, NeverMoreSharesThanFilesAndBalanced) {
  EXPECT_EQ(PlanJobs({"a.ppt"}, 8, false).size(), 1u);
  const auto shares = PlanJobs({"a.ppt", "b.ppt", "c.ppt", "d.ppt"}, 2, false);
  ASSERT_EQ(shares.size(), 2u);
  EXPECT_EQ(shares[0].size(), 2u);
  EXPECT_EQ(shares[1].size(), 2u);
}

TEST(JobEvent, LinesSurviveNewlinesAndBackslashes) {
  const JobEvent report{JobEvent::kReport, "No such file\r\nin Tessaly \\ x\r\rmail"};
  const std::string line = report.Encode();
  EXPECT_EQ(line.find('\n'), line.size() - 1);
  const auto back = JobEvent::Decode(line.substr(0, line.size() - 1));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->kind, JobEvent::kReport);
  EXPECT_EQ(back->text, report.text);
  EXPECT_FALSE(JobEvent::Decode("Z text"));
  EXPECT_FALSE(JobEvent::Decode("R bad\\q"));
  EXPECT_FALSE(JobEvent::Decode("R"));
}
