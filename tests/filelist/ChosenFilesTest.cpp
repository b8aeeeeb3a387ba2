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

TEST(SelectionFits, TheLimitItselfFitsAndOneMoreDoesNot) {
  // Two paths of 14999 characters take 15000 each with their separators.
  const std::string path(14999, 'p');
  EXPECT_EQ(SelectionLength({path, path}), kMaxSelectionLength);
  EXPECT_TRUE(SelectionFits({path, path}));
  EXPECT_FALSE(SelectionFits({path, path + "x"}));
}

}  // namespace
}  // namespace qm
