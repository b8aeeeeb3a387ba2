// ListFilesInFolder, FileIsOpenable and the attribute mapping on real folders.

#include <algorithm>

#include <gtest/gtest.h>

#include "filelist/FileAttributes.h"
#include "filelist/FolderFiles.h"
#include "tests/filelist/TestTree.h"
#include "tests/filelist/UnprivilegedRun.h"

namespace qm {
namespace {

using test::TestTree;

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ListFilesInFolder, MatchesCaseInsensitivelyWithHiddenFilesAndWithoutFolders) {
  TestTree tree;
  tree.Files({"deck.pptx", "OLD.PPT", "macro.PpTm", ".hidden.pptx", "~$lock.pptx",
              "notes.txt", "pptx", "deck.pptx.txt", "sub/inner.pptx"});
  tree.Folder("folder.pptx");
  tree.Link("to-folder.pptx", tree / "sub");
  tree.Link("to-file.pptx", tree / "deck.pptx");
  tree.Link("broken.pptx", tree / "nowhere");
  const auto names = ListFilesInFolder(tree.Root(), "*.ppt*");
  EXPECT_EQ(Sorted(names),
            (std::vector<std::string>{".hidden.pptx", "OLD.PPT", "deck.pptx", "deck.pptx.txt",
                                      "macro.PpTm", "to-file.pptx", "~$lock.pptx"}));
}

TEST(ListFilesInFolder, NamesComeByNameNotInTheFileSystemsHashOrder) {
  TestTree tree;
  tree.Files({"deck29.pptx", "deck3.pptx", "deck10.pptx", "Deck10.pptx", "deck2.pptx", "B.pptx",
              "a.pptx", "deck21.pptx", "deck34.pptx"});
  // Letters without case first, then exactly: the order is total.
  EXPECT_EQ(ListFilesInFolder(tree.Root(), "*.pptx"),
            (std::vector<std::string>{"a.pptx", "B.pptx", "Deck10.pptx", "deck10.pptx", "deck2.pptx",
                                      "deck21.pptx", "deck29.pptx", "deck3.pptx", "deck34.pptx"}));
}

TEST(ListFilesInFolder, AcceptsTheFolderWithOrWithoutTrailingSeparator) {
  TestTree tree;
  tree.Files({"a.ppt", "b.ppt"});
  const auto without = Sorted(ListFilesInFolder(tree.Root(), "*.ppt"));
  EXPECT_EQ(without, (std::vector<std::string>{"a.ppt", "b.ppt"}));
  EXPECT_EQ(Sorted(ListFilesInFolder(tree.Root() + "/", "*.ppt")), without);
}

TEST(ListFilesInFolder, NoMatchOrNoFolderGivesEmptyList) {
  TestTree tree;
  tree.Files({"notes.txt"});
  EXPECT_TRUE(ListFilesInFolder(tree.Root(), "*.ppt*").empty());
  EXPECT_TRUE(ListFilesInFolder(tree / "missing", "*.*").empty());
  EXPECT_TRUE(ListFilesInFolder(tree / "notes.txt", "*.*").empty());
}

TEST(ListFilesInFolder, StarDotStarTakesNamesWithoutExtension) {
  TestTree tree;
  tree.Files({"Makefile", "deck.pptx", ".profile"});
  EXPECT_EQ(Sorted(ListFilesInFolder(tree.Root(), "*.*")),
            (std::vector<std::string>{".profile", "Makefile", "deck.pptx"}));
}

TEST(ListFilesInFolder, InvalidUtf8NameIsLeftOutButControlAndC1CharactersAreListed) {
  TestTree tree;
  // A file keeps characters a folder name may not have; only names the
  // locale cannot represent are left out.
  tree.Files({"caf\xe9.pptx", "en\xe2\x80\x93" "dash.pptx", "c1\xc2\x96.pptx", "ok.pptx"});
  EXPECT_EQ(Sorted(ListFilesInFolder(tree.Root(), "*.pptx")),
            (std::vector<std::string>{"c1\xc2\x96.pptx", "en\xe2\x80\x93" "dash.pptx", "ok.pptx"}));
}

TEST(FileIsOpenable, OnlyExistingNonFolderEntriesWithRepresentableNames) {
  TestTree tree;
  tree.Files({"deck.pptx", "caf\xe9.pptx", "locked.pptx"});
  tree.Mode("locked.pptx", 0);
  tree.Folder("folder");
  tree.Link("link.pptx", tree / "deck.pptx");
  tree.Link("broken.pptx", tree / "nowhere");
  EXPECT_TRUE(FileIsOpenable(tree / "deck.pptx"));
  EXPECT_TRUE(FileIsOpenable(tree / "link.pptx"));
  // Opening asks for no access, so reading rights do not matter.
  EXPECT_TRUE(FileIsOpenable(tree / "locked.pptx"));
  EXPECT_FALSE(FileIsOpenable(tree / "folder"));
  EXPECT_FALSE(FileIsOpenable(tree / "broken.pptx"));
  EXPECT_FALSE(FileIsOpenable(tree / "vanished.pptx"));
  EXPECT_FALSE(FileIsOpenable(tree / "caf\xe9.pptx"));
  EXPECT_FALSE(FileIsOpenable(""));
}

TEST(FileAttributesOf, FollowsTheMappingSoDotFilesAreHiddenArchive) {
  TestTree tree;
  tree.Files({"deck.pptx", ".hidden.pptx"});
  tree.Folder("folder");
  tree.Folder(".config");
  tree.Link("file-link", tree / "deck.pptx");
  tree.Link("folder-link", tree / "folder");
  tree.Link(".broken", tree / "nowhere");
  EXPECT_EQ(FileAttributesOf(tree / "deck.pptx"), 32u);
  EXPECT_EQ(FileAttributesOf(tree / ".hidden.pptx"), kAttributeHiddenArchive);
  EXPECT_EQ(kAttributeHiddenArchive, 34u);
  EXPECT_EQ(FileAttributesOf(tree / "folder"), 16u);
  EXPECT_EQ(FileAttributesOf(tree / ".config/"), 18u);
  EXPECT_EQ(FileAttributesOf(tree / "file-link"), 1024u + 32u);
  EXPECT_EQ(FileAttributesOf(tree / "folder-link"), 1024u + 16u);
  EXPECT_EQ(FileAttributesOf(tree / ".broken"), 1024u + 2u);
  EXPECT_EQ(FileAttributesOf(tree / "missing"), std::nullopt);
}

TEST(ListFolderFiles, ReportsTheAttributesTheImportsTest) {
  TestTree tree;
  tree.Files({"deck.pptx", ".hidden.pptx"});
  tree.Link(".link.pptx", tree / "deck.pptx");
  auto files = ListFolderFiles(tree.Root(), "*.pptx");
  std::sort(files.begin(), files.end(),
            [](const FolderFile& a, const FolderFile& b) { return a.name < b.name; });
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].name, ".hidden.pptx");
  EXPECT_EQ(files[0].attributes, 34u);
  EXPECT_EQ(files[1].name, ".link.pptx");  // a link is not exactly 34, so imports keep it
  EXPECT_EQ(files[1].attributes, 1024u + 32u + 2u);
  EXPECT_EQ(files[2].attributes, 32u);
}

TEST(ListFilesInFolder, FolderThatCanBeReadButNotEnteredListsNothingItCannotOpen) {
  TestTree tree;
  tree.Files({"locked/a.pptx"});
  tree.Mode("locked", 0444);  // names can be read, files cannot be reached
  tree.Mode("", 0755);
  std::string whyNot;
  const auto names = test::RunWhereModesApply(tree / "locked/a.pptx", [&] {
    std::string out;
    for (const auto& name : ListFilesInFolder(tree / "locked", "*.pptx")) out += name + "\n";
    return out;
  }, whyNot);
  tree.Mode("locked", 0755);
  if (!names) GTEST_SKIP() << "permissions cannot be tested here: " << whyNot;
  EXPECT_EQ(*names, "");
}

}  // namespace
}  // namespace qm
