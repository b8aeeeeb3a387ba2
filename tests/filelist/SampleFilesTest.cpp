// Loading the sample files: each file once, exact comparison, missing folder.

#include <gtest/gtest.h>

#include "filelist/FileList.h"
#include "filelist/SampleFiles.h"
#include "tests/filelist/TestTree.h"

namespace qm {
namespace {

TEST(AddSampleFiles, ASecondLoadAddsNothingButADifferentCaseIsNew) {
  test::TestTree tree;
  tree.Files({"Samples/deck.pptx", "Samples/notes"});
  tree.Folder("Samples/inner");
  tree.File("Samples/inner/deeper.pptx");
  FileList list;
  list.AddFileToList(tree / "Samples/DECK.pptx");
  EXPECT_EQ(AddSampleFiles(list, tree / "Samples"), 2);
  EXPECT_TRUE(list.ListContains(tree / "Samples/deck.pptx"));
  EXPECT_TRUE(list.ListContains(tree / "Samples/notes"));
  EXPECT_FALSE(list.ListContains(tree / "Samples/inner/deeper.pptx"));
  EXPECT_EQ(AddSampleFiles(list, tree / "Samples"), 0);
  EXPECT_EQ(list.FileCount(), 3);
}

TEST(AddSampleFiles, AMissingFolderAddsNothing) {
  test::TestTree tree;
  FileList list;
  EXPECT_EQ(AddSampleFiles(list, tree / "Samples"), 0);
  EXPECT_EQ(list.FileCount(), 0);
}

}  // namespace
}  // namespace qm
