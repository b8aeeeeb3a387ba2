// The rows a file dialog's selection adds, and the selection length limit.

#include <gtest/gtest.h>

#include "filelist/ChosenFiles.h"

namespace qm {
namespace {

using Paths = std::vector<std::string>;

TEST(ChosenFileRows, OneFileIsAddedUnchanged) {
  EXPECT_EQ(ChosenFileRows({"/decks//q3.pptx"}), Paths{"/decks//q3.pptx"});
}

TEST(ChosenFileRows, FilesChosenInTheRootGetOneSeparator) {
  EXPECT_EQ(ChosenFileRows({"//a.ppt", "/b.pptx", "//c.pps"}),
            (Paths{"/a.ppt", "/b.pptx", "/c.pps"}));
}

TEST(ChosenFileRows, SeveralKeepTheDialogsOrderAndTheirFolders) {
  EXPECT_EQ(ChosenFileRows({"/d/z.ppt", "/d/a.ppt", "/d/z.ppt"}),
            (Paths{"/d/z.ppt", "/d/a.ppt", "/d/z.ppt"}));
}

TEST(SelectionFits, TheFolderCountsOnceNotForEveryFile) {
  // 300 names of 21 characters in a folder of 79: 79 + 1 + 300 x 22 + 1.
  const std::string folder = "/" + std::string(78, 'f');
  Paths chosen;
  for (int i = 0; i < 300; ++i) chosen.push_back(folder + "/presentation_" + std::to_string(100 + i) + ".pptx");
  EXPECT_EQ(SelectionLength(chosen), 6681u);
  EXPECT_TRUE(SelectionFits(chosen));
}

TEST(SelectionFits, TheLimitItselfFitsAndOneMoreDoesNot) {
  // The folder "/d" (2 + 1), two names of 14997 (+ 1 each) and the last NUL: 30000.
  const std::string name(14997, 'n');
  EXPECT_EQ(SelectionLength({"/d/" + name, "/d/" + name}), kMaxSelectionLength);
  EXPECT_TRUE(SelectionFits({"/d/" + name, "/d/" + name}));
  EXPECT_FALSE(SelectionFits({"/d/" + name, "/d/" + name + "x"}));
  // One file: its path and two NULs.
  EXPECT_TRUE(SelectionFits({std::string(29998, 'p')}));
  EXPECT_FALSE(SelectionFits({std::string(29999, 'p')}));
}

}  // namespace
}  // namespace qm
