// quillmere-batch's option checks, job plan and event lines.

#include <gtest/gtest.h>

#include <filesystem>

#include <map>

#include "cli/CommandLine.h"
#include "cli/CommandLineOptions.h"
#include "engine/export/ConversionRequest.h"
#include "engine/export/SaveModes.h"
#include "engine/protocol/WireMessage.h"
#include "tests/support/TempFolder.h"

using namespace qm;

namespace {
std::optional<CommandLine> Parse(std::vector<std::string> args, std::string* error) {
  return ParseCommandLine(args, error);
}
}  // namespace

std::string Cwd() { return std::filesystem::current_path().string(); }

TEST(CommandLine, DefaultsAreEachSlideIntoTheCurrentFolderWithBareNamesMadeAbsolute) {
  std::string error;
  // A bare name lies in the current folder; left bare, --beside once wrote it into "/".
  const auto cl = Parse({"deck.pptx"}, &error);
  ASSERT_TRUE(cl) << error;
  EXPECT_EQ(cl->mode, SaveMode::kEachSlide);
  EXPECT_FALSE(cl->beside);
  EXPECT_FALSE(cl->outputFolder.empty());
  EXPECT_EQ(cl->extension, "ppt*");
  EXPECT_GE(cl->jobs, 1);
  EXPECT_EQ(cl->paths, std::vector<std::string>{Cwd() + "/deck.pptx"});
}

TEST(CommandLine, EveryOptionFormIsUnderstood) {
  test::TempFolder out;
  std::string error;
  const auto cl = Parse({"-m", "slide", "--slide=2.5", "-o", out.Path(), "-j3", "-e", "odp", "-q",
                         "--", "-odd-name.pptx"},
                        &error);
  ASSERT_TRUE(cl) << error;
  EXPECT_EQ(cl->mode, SaveMode::kXSlide);
  EXPECT_EQ(cl->slideText, "2.5");
  EXPECT_EQ(cl->outputFolder, out.Path());
  EXPECT_EQ(cl->jobs, 3);
  EXPECT_EQ(cl->extension, "odp");
  EXPECT_TRUE(cl->quiet);
  EXPECT_EQ(cl->paths, std::vector<std::string>{Cwd() + "/-odd-name.pptx"});

  const auto all = Parse({"--mode", "all", "--direction", "right", "--beside", "a.ppt"}, &error);
  ASSERT_TRUE(all) << error;
  EXPECT_EQ(all->mode, SaveMode::kAllSlides);
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
      {{"-o", "/etc/passwd", "a.pptx"}, "/etc/passwd is not a folder"},
      {{"-m", "slide", "-x", "32768", "a.pptx"}, "out of range"},
      {{"-m", "slide", "-x", "1e400", "a.pptx"}, "out of range"},
      {{"-j", "0", "a.pptx"}, "must be a whole number"},
      {{"-q=yes", "a.pptx"}, "takes no value"},
      {{"--transparent", "-t", "jpeg", "a.pptx"}, "a JPEG holds no transparency"},
      {{"--transparent", "-m", "all", "a.pptx"}, "--transparent is not for --mode all"},
      {{}, "Nothing to convert"},
  };
  for (const auto& [args, expected] : cases) {
    std::string error;
    EXPECT_FALSE(Parse(args, &error)) << expected;
    EXPECT_NE(error.find(expected), std::string::npos) << "got: " << error;
  }
}


TEST(CommandLine, SlideListsBecomeRangesAndOnlyForTheEachSlideMode) {
  std::string error;
  auto cl = Parse({"--slides", "1,3-5,8-", "--pad", "deck.pptx"}, &error);
  ASSERT_TRUE(cl) << error;
  EXPECT_EQ(cl->request.slides, (std::vector<SlideRange>{{1, 1}, {3, 5}, {8, 0}}));
  EXPECT_TRUE(cl->request.padNumbers);
  EXPECT_TRUE(cl->request.Wants(4) && cl->request.Wants(900));
  EXPECT_FALSE(cl->request.Wants(2) || cl->request.Wants(7));
  cl = Parse({"-f", "2", "-l", "4", "deck.pptx"}, &error);
  ASSERT_TRUE(cl) << error;
  EXPECT_EQ(cl->request.slides, (std::vector<SlideRange>{{2, 4}}));
  cl = Parse({"-l", "3", "deck.pptx"}, &error);
  ASSERT_TRUE(cl) << error;
  EXPECT_EQ(cl->request.slides, (std::vector<SlideRange>{{1, 3}}));

  for (const std::vector<std::string>& wrong :
       std::vector<std::vector<std::string>>{{"-s", "0"}, {"-s", "5-3"}, {"-s", "x"}, {"-s", "1,,2"},
                                             {"-s", "40000"}, {"-f", "3", "-l", "2"}, {"-f", "-2"},
                                             {"-s", "1", "-f", "2"}, {"-m", "first", "-s", "2"},
                                             {"-m", "all", "--pad"}}) {
    std::vector<std::string> args = wrong;
    args.push_back("deck.pptx");
    EXPECT_FALSE(Parse(args, &error)) << wrong[0] << " " << wrong[1];
    EXPECT_FALSE(error.empty());
  }
}

TEST(CommandLine, ASlideListAJobCouldNotReadIsRefusedByTheParser) {
  // 4,097 ranges were taken here and refused by the job's decoder: the run
  // wrote nothing and called no file failed.
  std::string list;
  for (int n = 1; n <= 4097; ++n) list += (n > 1 ? "," : "") + std::to_string(n * 2);
  std::string error;
  EXPECT_FALSE(Parse({"-m", "each", "--slides", list, "deck.pptx"}, &error));
  EXPECT_NE(error.find("names 4097 ranges; at most 4096"), std::string::npos) << error;
  // One fewer is read, and every range reaches the job.
  list.resize(list.rfind(','));
  const auto cl = Parse({"-m", "each", "--slides", list, "deck.pptx"}, &error);
  ASSERT_TRUE(cl) << error;
  WireMessage sent(std::uint8_t{1});
  cl->request.PutTo(sent);
  WireMessage received;
  ASSERT_TRUE(WireMessage::FromBytes(sent.Bytes(), &received));
  ConversionRequest decoded;
  ASSERT_TRUE(ConversionRequest::GetFrom(received, &decoded));
  EXPECT_EQ(decoded.slides.size(), 4096u);
}

namespace {
/// `request` through the job's encoder and decoder; nullopt when refused.
std::optional<ConversionRequest> ThroughTheWire(const ConversionRequest& request) {
  WireMessage sent(std::uint8_t{1});
  request.PutTo(sent);
  WireMessage received;
  ConversionRequest decoded;
  if (!WireMessage::FromBytes(sent.Bytes(), &received) || !ConversionRequest::GetFrom(received, &decoded))
    return std::nullopt;
  return decoded;
}
}  // namespace

TEST(CommandLine, EveryNumberOptionTakesUpToItsLimitAndTheJobTakesTheSame) {
  // The parser's limits and the job decoder's must agree: a value the
  // parser takes and the decoder refuses loses its file without a word.
  const std::map<std::string, std::vector<std::string>> needs = {
      {"--quality", {"-t", "webp"}}, {"--gap", {"-m", "all", "--grid", "2x"}}};
  int numbers = 0;
  for (const CommandLineOption& option : CommandLineOptions()) {
    if (option.value != OptionValue::kNumber) continue;
    ++numbers;
    std::vector<std::string> args = needs.count(option.longName) ? needs.at(option.longName)
                                                                 : std::vector<std::string>{};
    args.insert(args.end(), {option.longName, std::to_string(option.most), "deck.pptx"});
    std::string error;
    const auto cl = Parse(args, &error);
    ASSERT_TRUE(cl) << option.longName << ": " << error;
    EXPECT_EQ(ThroughTheWire(cl->request), cl->request) << option.longName;
    args[args.size() - 2] = std::to_string(option.most + 1);
    EXPECT_FALSE(Parse(args, &error)) << option.longName;
    EXPECT_NE(error.find("to " + std::to_string(option.most) + "."), std::string::npos) << error;
  }
  EXPECT_GE(numbers, 9);
  // One past a limit on the wire is a damaged message, refused.
  for (int ConversionRequest::*field : {&ConversionRequest::dpi, &ConversionRequest::width,
                                        &ConversionRequest::quality, &ConversionRequest::gap}) {
    ConversionRequest request;
    request.*field = field == &ConversionRequest::dpi       ? kMaxDpi + 1
                     : field == &ConversionRequest::width   ? kMaxSidePixels + 1
                     : field == &ConversionRequest::quality ? kMaxQuality + 1
                                                            : kMaxGap + 1;
    EXPECT_FALSE(ThroughTheWire(request));
  }
}

TEST(CommandLine, EveryOptionAtItsLargestValueReachesTheJobWhole) {
  const std::vector<std::vector<std::string>> largest = {
      {"--width", "32767", "--height", "32767"},
      {"-t", "webp", "--quality", "100", "--transparent", "--skip-hidden", "--pad", "--skip-existing"},
      {"-m", "all", "--grid", "10000x10000", "--gap", "10000", "--background", "#ffffff"},
      {"-m", "each", "--slides", "32767-"},
  };
  for (std::vector<std::string> args : largest) {
    args.push_back("deck.pptx");
    std::string error;
    const auto cl = Parse(args, &error);
    ASSERT_TRUE(cl) << args[0] << ": " << error;
    WireMessage sent(std::uint8_t{1});
    cl->request.PutTo(sent);
    WireMessage received;
    ASSERT_TRUE(WireMessage::FromBytes(sent.Bytes(), &received));
    ConversionRequest decoded;
    ASSERT_TRUE(ConversionRequest::GetFrom(received, &decoded)) << args[0];
    EXPECT_EQ(decoded, cl->request) << args[0];
  }
}
