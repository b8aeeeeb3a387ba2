// Joining thousands of slide pictures under a low limit on open files, and a
// join that was cancelled. The limit is for the whole process and cannot be
// taken back, so those joins run in a forked child; a cancel is a token of
// the exporter's own.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <iostream>

#include "base/CancelToken.h"
#include "engine/export/Powerpoint1.h"
#include "imaging/codecs/JpegFile.h"
#include "tests/support/FakeApplicationFactory.h"
#include "tests/support/PngTestReader.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"
#include "tests/support/StatusAssertions.h"

using namespace qm;
using qm::test::FakeApplicationFactory;
using qm::test::ScriptedUi;
using qm::test::TempFolder;

namespace {

constexpr int kPictures = 2000;
constexpr int kWidth = 12;
constexpr int kHeight = 8;

test::Pixel ColourOf(int i) {
  return {static_cast<std::uint8_t>(i * 37 % 256), static_cast<std::uint8_t>(i * 11 % 256),
          static_cast<std::uint8_t>(i / 8 % 256)};
}

/// Runs `body` in a forked child and returns its exit status (-1 when it
/// did not exit normally).
int InChild(const std::function<int()>& body) {
  std::cout.flush();
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

/// Joins the pictures through the exporter in a child; exit status 0 when
/// nothing was reported, 1 when something was (printed), 2 when the limit
/// could not be lowered.
int JoinInChild(const std::string& output, bool vertical, const std::vector<std::string>& list,
                bool cancel, rlim_t openFileLimit) {
  return InChild([&] {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = std::min(limit.rlim_max, openFileLimit);
    if (setrlimit(RLIMIT_NOFILE, &limit) != 0) return 2;
    CancelToken token;
    if (cancel) token.Request();
    FakeApplicationFactory factory;
    ScriptedUi ui;
    Powerpoint1 exporter(factory, ui);
    exporter.SetCancelToken(&token);
    exporter.CombineImages(output, vertical, list);
    for (const auto& report : ui.Reports()) std::cerr << report << "\n";
    return ui.Reports().empty() ? 0 : 1;
  });
}

class CombineImages : public ::testing::Test {
 protected:
  /// Writes the pictures, each filled with its own colour, into the folder.
  std::vector<std::string> WritePictures(int count = kPictures) {
    std::vector<std::string> list;
    for (int i = 0; i < count; ++i) {
      Bitmap picture(kWidth, kHeight);
      const auto colour = ColourOf(i);
      for (std::size_t p = 0; p < picture.pixels.size(); ++p) picture.pixels[p] = colour[p % 3];
      list.push_back(folder_ / ("slide" + std::to_string(i) + ".jpg"));
      EXPECT_TRUE(test::Succeeded(WriteJpegFile(picture, list.back(), 100)));
    }
    return list;
  }

  TempFolder folder_;
};

}  // namespace

TEST_F(CombineImages, TwoThousandPicturesJoinUnderALimitOf256OpenFiles) {
  const std::string output = folder_ / "joined.png";

  ASSERT_EQ(JoinInChild(output, false, WritePictures(), false, 256), 0);
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{"joined.png"});
  auto png = test::ReadPng(output);
  ASSERT_EQ(png.width, kPictures * kWidth);
  ASSERT_EQ(png.height, kHeight);
  for (int i : {0, 1, 255, 1024, kPictures - 1})
    EXPECT_TRUE(test::Near(test::PixelAt(png, i * kWidth + 5, 4), ColourOf(i), 8)) << "picture " << i;

  ASSERT_EQ(JoinInChild(output, true, WritePictures(), false, 256), 0);
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{"joined.png"});
  png = test::ReadPng(output);
  ASSERT_EQ(png.width, kWidth);
  ASSERT_EQ(png.height, kPictures * kHeight + 3);
  for (int i : {0, 1, 255, 1024, kPictures - 1})
    EXPECT_TRUE(test::Near(test::PixelAt(png, 5, i * kHeight + 4), ColourOf(i), 8)) << "picture " << i;
  EXPECT_EQ(test::PixelAt(png, 5, kPictures * kHeight + 1), (test::Pixel{255, 255, 255}));
}

TEST_F(CombineImages, CancelledJoinWritesNothingAndLeavesNoTemporaryPicture) {
  const std::string output = folder_ / "joined.png";
  for (bool vertical : {false, true}) {
    EXPECT_EQ(JoinInChild(output, vertical, WritePictures(20), true, 1024), 0);
    EXPECT_TRUE(folder_.Names().empty()) << folder_.Names().front();
  }
}

TEST_F(CombineImages, ASlideThatFailedKeepsItsSlotSoLaterSlidesStayInPlace) {
  const std::string output = folder_ / "joined.png";
  for (bool vertical : {false, true}) {
    const std::vector<std::string> list = WritePictures(4);
    std::filesystem::remove(list[2]);  // slide 3 was never written
    EXPECT_EQ(JoinInChild(output, vertical, list, false, 1024), 1);  // the failure is reported
    const auto png = test::ReadPng(output);
    ASSERT_EQ(vertical ? png.height : png.width, 4 * (vertical ? kHeight : kWidth) + (vertical ? 3 : 0));
    // Slot 3 shows slide 2 again; slide 4 is in slot 4.
    for (const auto& [slot, picture] : std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {2, 1}, {3, 3}}) {
      const int x = vertical ? 5 : slot * kWidth + 5;
      const int y = vertical ? slot * kHeight + 4 : 4;
      EXPECT_TRUE(test::Near(test::PixelAt(png, x, y), ColourOf(picture), 8))
          << (vertical ? "down" : "right") << ", slot " << slot;
    }
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"joined.png"});
  }
}

TEST_F(CombineImages, ACancelTokenStopsOnlyTheExporterHoldingItAndCanBeTakenBack) {
  FakeApplicationFactory factory;
  ScriptedUi ui;
  CancelToken token;
  Powerpoint1 cancelled(factory, ui);
  cancelled.SetCancelToken(&token);
  Powerpoint1 other(factory, ui);
  token.Request();
  cancelled.CombineImages(folder_ / "a.png", true, WritePictures(3));
  EXPECT_TRUE(folder_.Names().empty()) << folder_.Names().front();  // nothing written, pictures gone
  other.CombineImages(folder_ / "b.png", true, WritePictures(3));
  EXPECT_EQ(folder_.Names(), std::vector<std::string>{"b.png"});
  token.Reset();
  cancelled.CombineImages(folder_ / "a.png", true, WritePictures(3));
  EXPECT_EQ(folder_.Names(), (std::vector<std::string>{"a.png", "b.png"}));
  EXPECT_TRUE(ui.Reports().empty());
}
