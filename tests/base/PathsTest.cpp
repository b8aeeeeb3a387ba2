#include "base/Paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/support/ScriptedUi.h"

namespace fs = std::filesystem;
using namespace qm;

TEST(CollapseSeparators, EveryRunBecomesOneSoPathsNeverReadAsNetworkPaths) {
  EXPECT_EQ(CollapseSeparators("out//deck.png"), "out/deck.png");
  EXPECT_EQ(CollapseSeparators("out///deck.png"), "out/deck.png");
  EXPECT_EQ(CollapseSeparators("/in//deck_Slide2.png"), "/in/deck_Slide2.png");
  EXPECT_EQ(CollapseSeparators("////server//x"), "/server/x");
  EXPECT_EQ(CollapseSeparators("/"), "/");
  EXPECT_EQ(CollapseSeparators("a/b/c"), "a/b/c");
  EXPECT_EQ(CollapseSeparators(""), "");
}

TEST(FileNameAndFolderPart, SplitAtTheLastSeparator) {
  EXPECT_EQ(FileNamePart("/in/sub/deck.pptx"), "deck.pptx");
  EXPECT_EQ(FolderPart("/in/sub/deck.pptx"), "/in/sub/");
  EXPECT_EQ(FileNamePart("deck.pptx"), "deck.pptx");
  EXPECT_EQ(FolderPart("deck.pptx"), "");
  EXPECT_EQ(FileNamePart("/in/"), "");
  EXPECT_EQ(FolderPart("/in/"), "/in/");
}

TEST(OutputBaseName, DropsOnlyTheLastExtension) {
  EXPECT_EQ(OutputBaseName("/in/deck.pptx"), "deck");
  EXPECT_EQ(OutputBaseName("/in/q3.final.pptx"), "q3.final");
  EXPECT_EQ(OutputBaseName("/in/a..b.pptx"), "a..b");
  EXPECT_EQ(OutputBaseName("/in/deck."), "deck");
  EXPECT_EQ(OutputBaseName("/a.b/deck"), "deck");  // a dot in the folder is not an extension
}

TEST(OutputBaseName, NameWithoutExtensionKeepsWholeNameSoOutputsDoNotCollide) {
  EXPECT_EQ(OutputBaseName("/in/deck"), "deck");
  EXPECT_EQ(OutputBaseName("/in/.pptx"), ".pptx");
  EXPECT_EQ(OutputBaseName("/in/.hidden.pptx"), ".hidden");
}

class PathsOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("qm-paths-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  std::string Make(const std::string& name) {
    const auto p = dir_ / name;
    std::ofstream(p) << "x";
    return p.string();
  }
  fs::path dir_;
};

TEST_F(PathsOnDisk, FileAndFolderExistTellFilesFromFolders) {
  const std::string file = Make("a.pptx");
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FolderExists(file));
  EXPECT_TRUE(FolderExists(dir_.string()));
  EXPECT_FALSE(FileExists(dir_.string()));
  EXPECT_FALSE(FileExists((dir_ / "missing").string()));
  EXPECT_FALSE(FolderExists((dir_ / "missing").string()));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FolderExists(""));
}

TEST_F(PathsOnDisk, DeleteFileForceYieldsFirstAndRemovesReadOnlyFiles) {
  const std::string file = Make("b.bmp");
  ::chmod(file.c_str(), S_IRUSR);
  test::ScriptedUi ui;
  bool existedAtYield = false;
  ui.onYield = [&] { existedAtYield = FileExists(file); };
  DeleteFileForce(ui, file);
  EXPECT_TRUE(existedAtYield);
  EXPECT_FALSE(FileExists(file));
  ASSERT_EQ(ui.calls.size(), 1u);
  EXPECT_EQ(ui.calls[0].kind, "yield");
}

TEST_F(PathsOnDisk, DeleteFileForceOnMissingFileNeverReports) {
  test::ScriptedUi ui;
  DeleteFileForce(ui, (dir_ / "none.bmp").string());
  EXPECT_TRUE(ui.Messages().empty());
}
