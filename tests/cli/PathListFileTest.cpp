// Reading --files-from lists that no file system could hold: endless
// entries, NULs in a list of lines, a stop while the list is still coming.

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "base/CancelToken.h"
#include "cli/PathListFile.h"
#include "tests/support/TempFolder.h"

using namespace qm;
using qm::test::TempFolder;

TEST(PathList, EntriesNoPathCanBeAreNamedAsSkippedAndTheOthersKept) {
  TempFolder folder;
  const std::string list = folder / "decks.lst";
  std::ofstream(list, std::ios::binary) << "/decks/a.pptx\n" << std::string("/decks/b\0c.pptx\n", 16)
                                        << "/" << std::string(5000, 'x') << "\n/decks/d.pptx";
  CancelToken stop;
  SkippedPaths skipped;
  std::string error;
  const auto paths = ReadPathList(list, false, stop, &skipped, &error);
  ASSERT_TRUE(paths) << error;
  // A NUL cut the second line short before: "/decks/b" would have been converted.
  EXPECT_EQ(*paths, (std::vector<std::string>{"/decks/a.pptx", "/decks/d.pptx"}));
  ASSERT_EQ(skipped.size(), 2u);
  EXPECT_EQ(skipped[0].path, "/decks/b?c.pptx");
  EXPECT_NE(skipped[0].reason.find("line 2 of the list holds a NUL"), std::string::npos) << skipped[0].reason;
  EXPECT_NE(skipped[1].reason.find("entry 3 of the list is longer than 4095 bytes"), std::string::npos)
      << skipped[1].reason;
  EXPECT_LT(skipped[1].path.size(), 200u);
}

TEST(PathList, AnEndlessListStopsWhenAskedInsteadOfGrowing) {
  // /dev/zero is one endless entry as lines and endless empty entries with
  // -0: before, the first grew to gigabytes and neither heeded Ctrl+C.
  rusage before{};
  ::getrusage(RUSAGE_SELF, &before);
  for (const bool nulSeparated : {false, true}) {
    CancelToken stop;
    std::thread asker([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      stop.Request();
    });
    SkippedPaths skipped;
    std::string error;
    const auto paths = ReadPathList("/dev/zero", nulSeparated, stop, &skipped, &error);
    asker.join();
    EXPECT_FALSE(paths);
    EXPECT_NE(error.find("Stopped while reading the list of files /dev/zero"), std::string::npos) << error;
    EXPECT_TRUE(skipped.empty());
  }
  rusage after{};
  ::getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "KiB grown while reading";
}
