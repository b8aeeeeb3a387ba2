// GetSubDirectories2016 on real trees: order, what is left out, links, failures.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <map>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "filelist/FolderScan.h"
#include "tests/support/ScriptedUi.h"
#include "tests/filelist/TestTree.h"
#include "tests/filelist/UnprivilegedRun.h"

namespace qm {
namespace {

using test::ScriptedUi;
using test::TestTree;

// The entries after the seed, relative to the seed and without their
// trailing "/".
std::vector<std::string> Relative(const FolderCollection& folders, const std::string& seed) {
  std::vector<std::string> out;
  for (std::size_t i = 1; i < folders.size(); ++i) {
    const std::string& entry = folders[i];
    EXPECT_EQ(entry.compare(0, seed.size(), seed), 0) << entry << " is not under " << seed;
    EXPECT_EQ(entry.back(), '/') << entry;
    out.push_back(entry.substr(seed.size(), entry.size() - seed.size() - 1));
  }
  return out;
}

std::size_t Depth(const std::string& relative) {
  return static_cast<std::size_t>(std::count(relative.begin(), relative.end(), '/')) + 1;
}

std::string Parent(const std::string& relative) {
  const auto slash = relative.rfind('/');
  return slash == std::string::npos ? std::string() : relative.substr(0, slash);
}

// Checks that `folders` is the seed followed by exactly `expected` (relative
// paths), level by level, each level grouped in the order of its parents.
void ExpectBreadthFirst(const FolderCollection& folders, const std::string& seed,
                        const std::set<std::string>& expected) {
  ASSERT_FALSE(folders.empty());
  EXPECT_EQ(folders[0], seed);
  const std::vector<std::string> relative = Relative(folders, seed);
  EXPECT_EQ(std::set<std::string>(relative.begin(), relative.end()), expected);
  EXPECT_EQ(relative.size(), expected.size()) << "a folder is listed twice";

  std::map<std::string, std::size_t> position{{"", 0}};
  for (std::size_t i = 0; i < relative.size(); ++i) position[relative[i]] = i + 1;
  for (std::size_t i = 1; i < relative.size(); ++i) {
    const std::string& before = relative[i - 1];
    const std::string& now = relative[i];
    ASSERT_LE(Depth(before), Depth(now)) << now << " comes after the deeper " << before;
    if (Depth(before) == Depth(now)) {
      EXPECT_LE(position[Parent(before)], position[Parent(now)])
          << now << " comes before the children of an earlier parent";
    }
  }
}

std::string Join(const FolderCollection& folders) {
  std::string out;
  for (const auto& f : folders) out += f + "\n";
  return out;
}

TEST(GetSubDirectories2016, FolderWithoutSubFoldersLeavesCollectionUnchanged) {
  TestTree tree;
  tree.Files({"deck.pptx", ".hidden"});
  ScriptedUi ui;
  FolderCollection folders{tree.Root() + "/"};
  GetSubDirectories2016(ui, folders, true);
  EXPECT_EQ(folders, FolderCollection{tree.Root() + "/"});
  EXPECT_TRUE(ui.Reports().empty());
}

TEST(GetSubDirectories2016, ThreeLevelsComeSeedChildrenGrandchildrenInParentOrder) {
  TestTree tree;
  std::set<std::string> expected;
  for (const char* a : {"a", "b", "c", "d"}) {
    expected.insert(a);
    for (const char* b : {"1", "2", "3"}) {
      expected.insert(std::string(a) + "/" + b);
      for (const char* c : {"x", "y"}) expected.insert(std::string(a) + "/" + b + "/" + c);
    }
  }
  for (const auto& folder : expected) tree.Folder(folder);
  tree.Files({"a/f.pptx", "a/1/f.ppt", "d/3/y/f.pptm"});  // files are never folders
  ScriptedUi ui;
  const std::string seed = tree.Root() + "/";
  FolderCollection folders{seed};
  GetSubDirectories2016(ui, folders, true);
  ExpectBreadthFirst(folders, seed, expected);
  EXPECT_TRUE(ui.Reports().empty());
  // The window stays responsive: at least one yield per folder found.
  EXPECT_GE(ui.CallsOf("yield").size(), expected.size());
}

TEST(GetSubDirectories2016, WithoutRecurseOnlyChildrenAreAdded) {
  TestTree tree;
  tree.Folder("a/deep");
  tree.Folder("b");
  ScriptedUi ui;
  const std::string seed = tree.Root() + "/";
  FolderCollection folders{seed};
  GetSubDirectories2016(ui, folders, false);
  ExpectBreadthFirst(folders, seed, {"a", "b"});
}

TEST(GetSubDirectories2016, SeedEntriesKeepTheirOrderAheadOfAllSubFolders) {
  TestTree tree;
  tree.Folder("one/inner");
  tree.Folder("two/inner");
  ScriptedUi ui;
  const std::string one = tree / "one/";
  const std::string two = tree / "two/";
  const std::string missing = tree / "missing/";
  FolderCollection folders{two, missing, one};
  GetSubDirectories2016(ui, folders, true);
  // A seed that is no folder is not listed but stays; its neighbours' children follow in seed order.
  EXPECT_EQ(folders, (FolderCollection{two, missing, one, two + "inner/", one + "inner/"}));
}

TEST(GetSubDirectories2016, UnsafeNamesAreSkippedWithTheirSubTree) {
  TestTree tree;
  const std::vector<std::string> unsafe = {
      "control\x01name", "tab\tname",   "line\nbreak", "del\x7f",      "c1\xc2\x96x",
      "question?",       "bad\xff",     "latin1-caf\xe9", "overlong\xc0\xaf", "surrogate\xed\xa0\x80"};
  for (const auto& name : unsafe) tree.Folder(name + "/below");
  // Outside ASCII but representable: taken (en dash, typographic apostrophe, e acute, emoji).
  const std::set<std::string> safe = {"en\xe2\x80\x93" "dash", "it\xe2\x80\x99s", "caf\xc3\xa9",
                                      "smile\xf0\x9f\x99\x82"};
  std::set<std::string> expected;
  for (const auto& name : safe) {
    tree.Folder(name + "/below");
    expected.insert(name);
    expected.insert(name + "/below");
  }
  // A file with an unsafe name is not a folder and changes nothing here.
  tree.File("file\x01name.pptx");
  ScriptedUi ui;
  const std::string seed = tree.Root() + "/";
  FolderCollection folders{seed};
  GetSubDirectories2016(ui, folders, true);
  ExpectBreadthFirst(folders, seed, expected);
}

TEST(GetSubDirectories2016, AFolderPastThePathLimitIsNamedAsSkippedNotDroppedSilently) {
  TestTree tree;
  // 20 levels of 250-byte names: the path passes 4,096 bytes at the 17th.
  // Made one level at a time relative to the last, as no path call takes it.
  const std::string name(250, 'd');
  int at = ::open(tree.Root().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(at, 0);
  std::size_t length = tree.Root().size() + 1;
  std::size_t firstTooLong = 0;
  for (int level = 1; level <= 20; ++level) {
    ASSERT_EQ(::mkdirat(at, name.c_str(), 0755), 0) << level;
    const int next = ::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(at);
    ASSERT_GE(next, 0);
    at = next;
    length += name.size() + 1;
    if (firstTooLong == 0 && length >= PATH_MAX) firstTooLong = length;
  }
  ::close(at);
  ScriptedUi ui;
  FolderCollection folders{tree.Root() + "/"};
  SkippedPaths skipped;
  GetSubDirectories2016(ui, folders, true, &skipped);
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].path.size(), firstTooLong);
  EXPECT_NE(skipped[0].reason.find("more than the 4095"), std::string::npos) << skipped[0].reason;
  for (const std::string& folder : folders) EXPECT_LT(folder.size(), std::size_t{PATH_MAX});
}

TEST(GetSubDirectories2016, LinkCyclesNeitherLoopNorListAFolderTwice) {
  TestTree tree;
  tree.Folder("in/a/b");
  tree.Folder("in/c");
  tree.Folder("outside/x/y");
  tree.Link("in/a/b/to-seed", tree / "in");        // back to the seed
  tree.Link("in/a/b/to-a", "../../a");               // back into the tree, relative
  tree.Link("in/a/b/to-c", tree / "in/c");         // a sibling inside the tree
  tree.Link("in/a/to-root", "/");                    // an ancestor of everything
  tree.Link("in/a/to-parent", tree.Root());          // the seed's parent
  tree.Link("in/out1", tree / "outside");          // elsewhere: followed once
  tree.Link("in/c/out2", tree / "outside");        // the same place again
  tree.Link("outside/x/y/up", tree / "outside");   // a cycle inside the elsewhere tree
  tree.Link("in/broken", tree / "nowhere");
  ScriptedUi ui;
  const std::string seed = tree / "in/";
  FolderCollection folders{seed};
  GetSubDirectories2016(ui, folders, true);

  std::vector<std::string> relative = Relative(folders, seed);
  std::set<std::string> real = {"a", "a/b", "c"};
  std::set<std::string> viaLink;
  for (const auto& r : relative)
    if (!real.count(r)) viaLink.insert(r);
  for (const auto& r : real) EXPECT_EQ(std::count(relative.begin(), relative.end(), r), 1) << r;
  // The elsewhere tree comes once, under whichever of its two links was found first.
  const bool first = viaLink.count("out1") > 0;
  const std::string link = first ? "out1" : "c/out2";
  EXPECT_EQ(viaLink, (std::set<std::string>{link, link + "/x", link + "/x/y"})) << Join(folders);
  EXPECT_TRUE(ui.Reports().empty());
}

TEST(GetSubDirectories2016, FolderVanishingDuringTheScanIsLeftOutSilently) {
  TestTree tree;
  tree.Folder("keep/inner");
  tree.Folder("gone/inner");
  ScriptedUi ui;
  int yields = 0;
  // Yields 1 to 3 belong to the seed and its two children; the fourth comes
  // once the children are taken, before or while the first of them is listed.
  ui.onYield = [&] {
    if (++yields == 4) tree.Remove("gone");
  };
  const std::string seed = tree.Root() + "/";
  FolderCollection folders{seed};
  GetSubDirectories2016(ui, folders, true);
  ExpectBreadthFirst(folders, seed, {"keep", "keep/inner"});
  EXPECT_TRUE(ui.Reports().empty());
}

TEST(GetSubDirectories2016, FolderVanishingAfterItWasListedIsNotAppended) {
  TestTree tree;
  tree.Folder("keep/inner");
  tree.Folder("gone");
  ScriptedUi ui;
  int yields = 0;
  // Before the folders are appended the scan yields 7 times: listing the
  // seed, finding keep and gone, listing them, finding inner, listing inner.
  // The last of these comes after gone was listed without trouble.
  ui.onYield = [&] {
    if (++yields == 7) tree.Remove("gone");
  };
  const std::string seed = tree.Root() + "/";
  FolderCollection folders{seed};
  GetSubDirectories2016(ui, folders, true);
  ExpectBreadthFirst(folders, seed, {"keep", "keep/inner"});
  EXPECT_TRUE(ui.Reports().empty());
}

// The scan of `seed`, one entry a line; run where modes apply.
std::optional<std::string> ScanWhereModesApply(const TestTree& tree, const std::string& locked,
                                                FolderCollection seedFolders, std::string& whyNot) {
  // The user "nobody" must reach the tree; the temporary root is private.
  tree.Mode("", 0755);
  return test::RunWhereModesApply(locked, [&] {
    ScriptedUi ui;
    GetSubDirectories2016(ui, seedFolders, true);
    return Join(seedFolders) + (ui.Reports().empty() ? "" : "REPORTED\n");
  }, whyNot);
}

TEST(GetSubDirectories2016, UnreadableSubFolderIsRemovedWithItsTree) {
  TestTree tree;
  tree.Folder("open/inner");
  tree.Folder("locked/inner");
  tree.Mode("locked", 0);
  const std::string seed = tree.Root() + "/";
  std::string whyNot;
  const auto scanned = ScanWhereModesApply(tree, tree / "locked", {seed}, whyNot);
  tree.Mode("locked", 0755);
  if (!scanned) GTEST_SKIP() << "permissions cannot be tested here: " << whyNot;
  EXPECT_EQ(*scanned, seed + "\n" + seed + "open/\n" + seed + "open/inner/\n");
}

TEST(GetSubDirectories2016, UnreadableSeedIsRemovedSoNothingIsSearched) {
  TestTree tree;
  tree.Folder("locked/inner");
  tree.Folder("other");
  tree.Mode("locked", 0);
  const std::string locked = tree / "locked/";
  const std::string other = tree / "other/";
  std::string whyNot;
  const auto scanned = ScanWhereModesApply(tree, locked, {locked, other}, whyNot);
  tree.Mode("locked", 0755);
  if (!scanned) GTEST_SKIP() << "permissions cannot be tested here: " << whyNot;
  EXPECT_EQ(*scanned, other + "\n");
}

}  // namespace
}  // namespace qm
