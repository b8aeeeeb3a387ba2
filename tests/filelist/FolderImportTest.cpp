// The folder import and the drop of paths, gathered into a real FileList.

#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include "filelist/FileList.h"
#include "filelist/FolderImport.h"
#include "base/Paths.h"
#include "tests/support/ScriptedUi.h"
#include "tests/filelist/TestTree.h"
#include "tests/filelist/UnprivilegedRun.h"

namespace qm {
namespace {

using test::ScriptedUi;
using test::TestTree;

std::vector<std::string> Rows(const FileList& list) {
  std::vector<std::string> rows;
  for (int i = 1; i <= list.FileCount(); ++i) rows.push_back(list.FileAt(i));
  return rows;
}

// The rows expected for files of `tree`: the gathered path passes through
// the shared separator rule like every gathered row.
std::set<std::string> RowsFor(const TestTree& tree, const std::vector<std::string>& relatives) {
  std::set<std::string> rows;
  for (const auto& relative : relatives) rows.insert(CollapseSeparators(tree / relative));
  return rows;
}

std::size_t Depth(const std::string& row) {
  return static_cast<std::size_t>(std::count(row.begin(), row.end(), '/'));
}

// Rows come folder by folder: each folder's files together, shallower
// folders first.
void ExpectFolderByFolder(const std::vector<std::string>& rows) {
  std::set<std::string> finished;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const std::string before = FolderPart(rows[i - 1]);
    const std::string now = FolderPart(rows[i]);
    EXPECT_LE(Depth(before), Depth(now)) << rows[i] << " comes after the deeper " << rows[i - 1];
    if (before != now) {
      finished.insert(before);
      EXPECT_EQ(finished.count(now), 0u) << "the files of " << now << " are split";
    }
  }
}

void MakeMixedTree(const TestTree& tree) {
  tree.Files({"a.pptx", "B.PPT", ".hidden.pptx", "~$a.pptx", "notes.txt", "Makefile",
              "one/c.pptm", "one/~tmp.ppt", "one/deep/e.pptx", "one/deep/.e.pptx",
              "two/d.ppt", "two/picture.png", ".dotfolder/f.pptx"});
}

TEST(ImportFolder, DefaultPatternTakesPresentationsFolderByFolderWithoutDotOrTildeFiles) {
  TestTree tree;
  MakeMixedTree(tree);
  FileList list;
  ScriptedUi ui;
  ImportFolder(list, ui, tree.Root(), ImportSearchPattern("ppt*"));
  const auto rows = Rows(list);
  EXPECT_EQ(std::set<std::string>(rows.begin(), rows.end()),
            RowsFor(tree, {"a.pptx", "B.PPT", "one/c.pptm", "one/deep/e.pptx", "two/d.ppt",
                           ".dotfolder/f.pptx"}));
  EXPECT_EQ(rows.size(), 6u);
  ExpectFolderByFolder(rows);
  EXPECT_TRUE(ui.Reports().empty());
}

TEST(ImportFolder, StarImportsEveryFileExceptTildeAndDotFiles) {
  TestTree tree;
  MakeMixedTree(tree);
  FileList list;
  ScriptedUi ui;
  ImportFolder(list, ui, tree.Root(), ImportSearchPattern("*"));
  const auto rows = Rows(list);
  EXPECT_EQ(std::set<std::string>(rows.begin(), rows.end()),
            RowsFor(tree, {"a.pptx", "B.PPT", "notes.txt", "Makefile", "one/c.pptm",
                           "one/deep/e.pptx", "two/d.ppt", "two/picture.png",
                           ".dotfolder/f.pptx"}));
  EXPECT_EQ(rows.size(), 9u);
}

TEST(ImportFolder, ExtensionTypedWithLeadingDotFindsNothing) {
  TestTree tree;
  MakeMixedTree(tree);
  FileList list;
  ScriptedUi ui;
  ImportFolder(list, ui, tree.Root(), ImportSearchPattern(".pptx"));
  EXPECT_EQ(list.FileCount(), 0);
}

TEST(ImportFolder, ChosenFolderWithTrailingSeparatorGivesNoDoubledSeparators) {
  TestTree tree;
  tree.Files({"a.pptx", "sub/b.pptx"});
  FileList list;
  ScriptedUi ui;
  ImportFolder(list, ui, tree.Root() + "/", "*.pptx");
  const auto rows = Rows(list);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(std::set<std::string>(rows.begin(), rows.end()), RowsFor(tree, {"a.pptx", "sub/b.pptx"}));
  for (const auto& row : rows) EXPECT_EQ(row.find("//", 2), std::string::npos) << row;
}

TEST(ImportFolder, SecondImportListsAgainAndPointerIsRestored) {
  TestTree tree;
  tree.Files({"a.pptx", "sub/b.pptx"});
  FileList list;
  ScriptedUi ui;
  ui.SetPointer(Pointer::Busy);
  ImportFolder(list, ui, tree.Root(), "*.ppt*");
  EXPECT_EQ(ui.CurrentPointer(), Pointer::Default);
  ImportFolder(list, ui, tree.Root(), "*.ppt*");
  const auto rows = Rows(list);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(std::multiset<std::string>(rows.begin(), rows.begin() + 2),
            std::multiset<std::string>(rows.begin() + 2, rows.end()));
}

TEST(ImportFolder, ListEditsDuringTheScanAreIgnoredWhileBusy) {
  TestTree tree;
  tree.Files({"a.pptx", "sub/b.pptx", "sub/deeper/c.pptx"});
  FileList list;
  list.AddFileToList("earlier.pptx");
  list.Select(1);
  ScriptedUi ui;
  ui.SetPointer(Pointer::Busy);  // the command marks the window busy before gathering
  int yields = 0;
  ui.onYield = [&] {
    ++yields;
    list.OnDeleteKey(ui);
    list.OnDoubleClick(ui, 1);
    list.OnClearList(ui);
  };
  ImportFolder(list, ui, tree.Root(), "*.pptx");
  EXPECT_GT(yields, 0) << "the scan never let the window handle input";
  ASSERT_EQ(list.FileCount(), 4);
  EXPECT_EQ(list.FileAt(1), "earlier.pptx");
}

TEST(ImportFolder, UnreadableSubFolderContributesNothingAndShowsNothing) {
  TestTree tree;
  tree.Files({"a.pptx", "open/b.pptx", "locked/c.pptx", "locked/inner/d.pptx"});
  tree.Mode("locked", 0);
  tree.Mode("", 0755);  // the unprivileged child must reach the tree
  std::string whyNot;
  const auto rows = test::RunWhereModesApply(tree / "locked", [&] {
    FileList list;
    ScriptedUi ui;
    ImportFolder(list, ui, tree.Root(), "*.ppt*");
    std::string out;
    for (const auto& row : Rows(list)) out += row + "\n";
    return out + (ui.Messages().empty() ? "" : "A MESSAGE WAS SHOWN\n");
  }, whyNot);
  tree.Mode("locked", 0755);
  if (!rows) GTEST_SKIP() << "permissions cannot be tested here: " << whyNot;
  EXPECT_EQ(*rows, CollapseSeparators(tree / "a.pptx") + "\n" +
                       CollapseSeparators(tree / "open/b.pptx") + "\n");
}

TEST(AddDroppedPaths, FilesAreAddedExactlyAsDroppedWhateverTheyAre) {
  TestTree tree;
  tree.Files({"notes.txt", ".hidden.pptx", "~$lock.pptx"});
  const std::vector<std::string> dropped = {tree / "notes.txt", tree.Root() + "//.hidden.pptx",
                                            tree / "~$lock.pptx", tree / "vanished.pptx"};
  FileList list;
  ScriptedUi ui;
  AddDroppedPaths(list, ui, dropped);
  EXPECT_EQ(Rows(list), dropped);
  EXPECT_TRUE(ui.calls.empty()) << "a drop of files needs no window at all";
}

TEST(AddDroppedPaths, FoldersExpandInDropOrderEachWithItsOwnScan) {
  TestTree tree;
  tree.Files({"first/a.pptx", "first/notes.txt", "first/~$a.pptx", "first/.a.pptx",
              "first/inner/b.ppt", "second/c.pptx", "loose.pptx"});
  tree.Link("link-to-second", tree / "second");
  FileList list;
  ScriptedUi ui;
  AddDroppedPaths(list, ui, {tree / "first", tree / "loose.pptx", tree / "first/inner",
                             tree / "link-to-second"});
  const auto rows = Rows(list);
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(std::set<std::string>(rows.begin(), rows.begin() + 3),
            RowsFor(tree, {"first/a.pptx", "first/notes.txt", "first/inner/b.ppt"}));
  EXPECT_EQ(rows[3], tree / "loose.pptx");
  // A folder inside an earlier dropped one is gathered again: each drop stands alone.
  EXPECT_EQ(rows[4], CollapseSeparators(tree / "first/inner/b.ppt"));
  EXPECT_EQ(rows[5], CollapseSeparators(tree / "link-to-second/c.pptx"));
  EXPECT_TRUE(ui.CallsOf("pointer").empty()) << "a drop does not mark the window busy";
  EXPECT_TRUE(ui.Reports().empty());
}

}  // namespace
}  // namespace qm
