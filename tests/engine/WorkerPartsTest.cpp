// Parts of the render worker that need no LibreOffice: pixel conversion, file
// URLs, the signal-safe removal of its folder, its environment; and the
// temporary names and their sweep.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "base/TemporaryName.h"
#include "engine/export/SlideSession.h"
#include "engine/worker/DialogRefusal.h"
#include "engine/worker/FileUrl.h"
#include "engine/worker/OfficeProfile.h"
#include "engine/worker/PixelConversion.h"
#include "engine/worker/SignalSafeRemoval.h"
#include "imaging/codecs/AtomicFile.h"
#include "tests/support/TempFolder.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

std::string FileNamePartOf(const std::string& path) { return fs::path(path).filename().string(); }

// --- Pixels -------------------------------------------------------------------

TEST(PixelConversion, OpaqueBgraKeepsItsColourInRgbOrder) {
  const std::vector<std::uint8_t> bgra = {10, 20, 30, 255, 200, 150, 100, 255};
  Bitmap bitmap;
  CompositePremultipliedOverWhite(bgra.data(), 2, 1, true, &bitmap);
  ASSERT_EQ(bitmap.width, 2);
  ASSERT_EQ(bitmap.height, 1);
  EXPECT_EQ(bitmap.pixels, (std::vector<std::uint8_t>{30, 20, 10, 100, 150, 200}));
}

TEST(PixelConversion, RgbaInputIsNotSwapped) {
  const std::vector<std::uint8_t> rgba = {30, 20, 10, 255};
  Bitmap bitmap;
  CompositePremultipliedOverWhite(rgba.data(), 1, 1, false, &bitmap);
  EXPECT_EQ(bitmap.pixels, (std::vector<std::uint8_t>{30, 20, 10}));
}

TEST(PixelConversion, TransparentAndHalfCoveredPixelsLieOnWhite) {
  // Fully transparent; premultiplied half-alpha black (0,0,0,128); half red.
  const std::vector<std::uint8_t> bgra = {0, 0, 0, 0, 0, 0, 0, 128, 0, 0, 128, 128};
  Bitmap bitmap;
  CompositePremultipliedOverWhite(bgra.data(), 3, 1, true, &bitmap);
  EXPECT_EQ(bitmap.pixels,
            (std::vector<std::uint8_t>{255, 255, 255, 127, 127, 127, 255, 127, 127}));
}

TEST(PixelConversion, MalformedPremultipliedValuesAreClampedNotWrapped) {
  const std::vector<std::uint8_t> bgra = {250, 250, 250, 10};  // colour above alpha
  Bitmap bitmap;
  CompositePremultipliedOverWhite(bgra.data(), 1, 1, true, &bitmap);
  EXPECT_EQ(bitmap.pixels, (std::vector<std::uint8_t>{255, 255, 255}));
}

TEST(PixelConversion, ReusedBitmapTakesTheNewSize) {
  Bitmap bitmap(100, 100);
  const std::vector<std::uint8_t> bgra(2 * 3 * 4, 255);
  CompositePremultipliedOverWhite(bgra.data(), 2, 3, true, &bitmap);
  EXPECT_EQ(bitmap.width, 2);
  EXPECT_EQ(bitmap.height, 3);
  EXPECT_EQ(bitmap.pixels.size(), 18u);
}

// --- Questions LibreOffice asks while loading -----------------------------------

// The repair question LibreOffice 25.2 asks about a damaged file, as its
// callback delivers it (the icon's data shortened): a load waits on it for ever
// unless it is answered.
const char kRepairQuestion[] =
    R"({ "id": "", "type": "messagebox", "text": "LibreOffice 25.2", "enabled": true, )"
    R"("children": [ { "id": "", "type": "multilineedit", "text": "The file 'truncated.pptx' )"
    R"(is corrupt and therefore cannot be opened. LibreOffice can try to repair the file. )"
    R"(\"id\": 77", "enabled": true}, { "id": "no", "type": "pushbutton", "text": "~No"}, )"
    R"({ "id": "yes", "type": "pushbutton", "text": "~Yes"}], "responses": [ { "id": "yes", )"
    R"("response": 2}, { "id": "no", "response": 3}], "init_focus_id": "no", "id": 12, )"
    R"("jsontype": "dialog"})";

TEST(DialogRefusal, RepairQuestionIsAnsweredNoOnItsOwnWindow) {
  DialogRefusal refusal;
  ASSERT_TRUE(ReadDialogRefusal(kRepairQuestion, &refusal));
  EXPECT_EQ(refusal.windowId, 12u);
  EXPECT_EQ(refusal.button, "no");
}

TEST(DialogRefusal, ClosingNoticesAndDialogsWithoutARefusingButtonAreLeftAlone) {
  DialogRefusal refusal;
  EXPECT_FALSE(ReadDialogRefusal(R"({ "id": 12, "jsontype": "dialog", "action": "close"})",
                                 &refusal));
  EXPECT_FALSE(ReadDialogRefusal(
      R"({ "id": "", "children": [{ "id": "help"}], "id": 3, "jsontype": "dialog"})", &refusal));
  EXPECT_FALSE(ReadDialogRefusal(R"({ "id": "no", "jsontype": "dialog"})", &refusal));
  EXPECT_FALSE(ReadDialogRefusal(
      R"({ "id": "ok", "id": 99999999999999999999999, "jsontype": "dialog"})", &refusal));
  ASSERT_TRUE(ReadDialogRefusal(
      R"({ "id": "", "children": [{ "id": "ok"}, { "id": "cancel"}], "id": 5, "jsontype": "dialog"})",
      &refusal));
  EXPECT_EQ(refusal.button, "cancel");
}

// --- File URLs --------------------------------------------------------------------

TEST(FileUrl, CharactersThatMeanSomethingInAUrlAreEscaped) {
  EXPECT_EQ(FileUrlFromPath("/tmp/a b/#1 %20?x.pptx"), "file:///tmp/a%20b/%231%20%2520%3Fx.pptx");
}

TEST(FileUrl, Utf8NamesAreEscapedByteByByte) {
  EXPECT_EQ(FileUrlFromPath("/d\xC3\xA9.pptx"), "file:///d%C3%A9.pptx");
}

TEST(FileUrl, PlainPathsStayReadable) {
  EXPECT_EQ(FileUrlFromPath("/home/ann/Deck_v2-final.~1.pptx"),
            "file:///home/ann/Deck_v2-final.~1.pptx");
}

// --- Removing the worker folder from a signal handler ------------------------------

TEST(SignalSafeRemoval, RemovesANestedTreeWithManyEntries) {
  TempFolder root;
  const fs::path tree = fs::path(root.Path()) / "worker";
  for (int a = 0; a < 5; ++a) {
    const fs::path deep = tree / ("a" + std::to_string(a)) / "b" / "c" / "d";
    fs::create_directories(deep);
    for (int f = 0; f < 60; ++f)
      std::ofstream(deep / ("file-with-a-long-name-" + std::to_string(f)));
  }
  fs::create_directories(tree / "empty");
  EXPECT_TRUE(RemoveTreeSignalSafe(tree.c_str()));
  EXPECT_FALSE(fs::exists(tree));
}

TEST(SignalSafeRemoval, SymbolicLinksAreRemovedNeverFollowed) {
  TempFolder root;
  const fs::path outside = fs::path(root.Path()) / "precious";
  fs::create_directories(outside);
  std::ofstream(outside / "keep.txt") << "keep";
  const fs::path tree = fs::path(root.Path()) / "worker";
  fs::create_directories(tree);
  fs::create_directory_symlink(outside, tree / "link");
  EXPECT_TRUE(RemoveTreeSignalSafe(tree.c_str()));
  EXPECT_FALSE(fs::exists(tree));
  EXPECT_TRUE(fs::exists(outside / "keep.txt"));
}

TEST(SignalSafeRemoval, AMissingFolderCountsAsRemoved) {
  TempFolder root;
  EXPECT_TRUE(RemoveTreeSignalSafe((root / "never-made").c_str()));
}

// --- The worker's environment: nothing in the person's home ------------------------

TEST(OfficeEnvironment, FilesInTheUsersHome_HomeAndXdgFoldersPointIntoTheWorkerFolder) {
  const char* names[] = {"TMPDIR",          "TMP",           "TEMP",           "HOME",
                         "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME",
                         "XDG_RUNTIME_DIR", "GSETTINGS_BACKEND", "DCONF_PROFILE", "GIO_USE_VFS", "PATH"};
  std::map<std::string, std::optional<std::string>> saved;
  for (const char* name : names) {
    const char* value = ::getenv(name);
    saved[name] = value ? std::optional<std::string>(value) : std::nullopt;
  }
  TempFolder folder;
  ::umask(022);
  std::string error;
  ASSERT_TRUE(IsolateOfficeEnvironment(folder.Path(), &error)) << error;
  const std::map<std::string, std::string> expected = {
      {"TMPDIR", "tmp"},
      {"HOME", "home"},
      {"XDG_CONFIG_HOME", "home/.config"},
      {"XDG_CACHE_HOME", "home/.cache"},
      {"XDG_DATA_HOME", "home/.local/share"},
      {"XDG_STATE_HOME", "home/.local/state"},
      {"XDG_RUNTIME_DIR", "runtime"},
      {"PATH", "bin"}};
  for (const auto& [name, sub] : expected) {
    const char* value = ::getenv(name.c_str());
    ASSERT_NE(value, nullptr) << name;
    EXPECT_EQ(std::string(value), folder / sub) << name;
    EXPECT_TRUE(fs::is_directory(value)) << name;
    EXPECT_EQ(fs::status(value).permissions() & fs::perms::all, fs::perms::owner_all) << name;
  }
  EXPECT_TRUE(fs::is_empty(folder / "bin"));  // nothing for LibreOffice to start
  EXPECT_STREQ(::getenv("GSETTINGS_BACKEND"), "memory");
  EXPECT_STREQ(::getenv("DCONF_PROFILE"), "/dev/null");
  for (const auto& [name, value] : saved) {
    if (value)
      ::setenv(name.c_str(), value->c_str(), 1);
    else
      ::unsetenv(name.c_str());
  }
}

TEST(OfficeEnvironment, AFolderThatCannotBeMadeIsNamed) {
  std::string error;
  EXPECT_FALSE(IsolateOfficeEnvironment("/nonexistent-root-for-quillmere/w", &error));
  EXPECT_NE(error.find("/nonexistent-root-for-quillmere/w/tmp"), std::string::npos) << error;
}

// --- Temporary names and the sweep of stale ones --------------------------------

/// The id of a process that has certainly ended: a child that exited and
/// was reaped.
pid_t DeadPid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

TEST(TemporaryName, TemporaryFilesLeftBehind_NamesCarryTheOwnerInARecognisableForm) {
  const std::string me = std::to_string(::getpid());
  const std::string exporter = FileNamePartOf(TemporaryPathIn("/out/", ".bmp"));
  EXPECT_TRUE(std::regex_match(exporter, std::regex("\\.quillmere-" + me + "-[0-9]+-[0-9]+\\.bmp")))
      << exporter;
  EXPECT_EQ(TemporaryNameOwner(exporter), ::getpid());
  EXPECT_NE(TemporaryFileName(".jpg"), TemporaryFileName(".jpg"));

  TempFolder folder;
  AtomicFile file;
  ASSERT_TRUE(file.Open(folder / "deck_Slide1.png").Ok());
  const std::string partial = fs::path(file.TempPath()).filename().string();
  EXPECT_TRUE(std::regex_match(
      partial, std::regex("\\.deck_Slide1\\.png\\.quillmere-" + me + "-[A-Za-z0-9]{6}")))
      << partial;
  EXPECT_EQ(TemporaryNameOwner(partial), ::getpid());
  file.Abandon();

  // The worker writing an exporter's temporary: the writer's id counts.
  EXPECT_EQ(TemporaryNameOwner("..quillmere-12-345-6.bmp.quillmere-789-aB3dE9"), 789);
  EXPECT_EQ(TemporaryNameOwner(".quillmere-42-Zz09aa"), 42);  // the short form
  EXPECT_EQ(TemporaryNameOwner(".quillmere-42-7-1"), 42);     // no extension
  for (const char* foreign :
       {"deck_Slide1.png", ".deck_Slide1.png.XXXXXX", ".deck.png.abc123", "quillmere-42-1-2.bmp",
        ".quillmere-42.bmp", ".quillmere--1-2.bmp", ".quillmere-x-1-2.bmp", ".quillmere-42-1-2.b-p",
        ".quillmere-42-1-2.", ".quillmere-42-1.bmp", ".name.quillmere-42-abc12",
        ".name.quillmere-42-abc1234", ".name.quillmere-42-abc12!", ".name.quillmere-0-abc123",
        "..quillmere-42-abc123", ".quillmere-99999999999-1-2.bmp", ".qm-tmp.abc123", "", "."}) {
    EXPECT_EQ(TemporaryNameOwner(foreign), 0) << foreign;
  }
}

TEST(TemporaryName, TemporaryFilesLeftBehind_SweepRemovesOnlyOurFilesOfEndedProcesses) {
  TempFolder folder;
  const std::string dead = std::to_string(DeadPid());
  const std::string live = std::to_string(::getpid());
  const std::vector<std::string> stale = {
      ".quillmere-" + dead + "-123-1.bmp",
      ".quillmere-" + dead + "-123-2.jpg",
      ".deck_Slide1.png.quillmere-" + dead + "-aB3dE9",
      "..quillmere-" + live + "-1-1.bmp.quillmere-" + dead + "-Qw12Er",
      ".quillmere-" + dead + "-Zz09aa",
  };
  const std::vector<std::string> kept = {
      ".quillmere-" + live + "-123-1.bmp",             // its process still runs
      ".deck_Slide1.png.quillmere-" + live + "-aB3dE9",  // likewise
      ".quillmere-1-5-5.bmp",                          // process 1 always runs
      "deck_Slide1.png",                               // the person's files
      ".deck_Slide1.png.aB3dE9",                       // an old-style name: not ours to judge
      "quillmere-" + dead + "-123-1.bmp",              // not hidden
      ".quillmere-" + dead + "-123-1.bmp~",            // a backup someone made
      ".quillmere-" + dead + "-notes.txt",
      ".quillmere-" + dead + "-123-1.bmp.keep",
  };
  for (const auto& name : stale) std::ofstream(folder / name) << "x";
  for (const auto& name : kept) std::ofstream(folder / name) << "x";
  // Not regular files, or not in the folder itself: left alone too.
  fs::create_directory(folder / (".quillmere-" + dead + "-9-9.bmp"));
  fs::create_symlink(folder / "deck_Slide1.png", folder / (".quillmere-" + dead + "-8-8.bmp"));
  fs::create_directory(folder / "sub");
  std::ofstream(folder / ("sub/.quillmere-" + dead + "-7-7.bmp")) << "x";

  EXPECT_EQ(SweepStaleTemporaries(folder.Path()), static_cast<int>(stale.size()));
  for (const auto& name : stale) EXPECT_FALSE(fs::exists(folder / name)) << name;
  for (const auto& name : kept) EXPECT_TRUE(fs::exists(folder / name)) << name;
  EXPECT_TRUE(fs::is_directory(folder / (".quillmere-" + dead + "-9-9.bmp")));
  EXPECT_TRUE(fs::is_symlink(folder / (".quillmere-" + dead + "-8-8.bmp")));
  EXPECT_TRUE(fs::exists(folder / "deck_Slide1.png"));
  EXPECT_TRUE(fs::exists(folder / ("sub/.quillmere-" + dead + "-7-7.bmp")));
  EXPECT_EQ(SweepStaleTemporaries(folder.Path()), 0);
  EXPECT_EQ(SweepStaleTemporaries(folder / "no-such-folder"), 0);
}

TEST(TemporaryName, TemporaryFilesLeftBehind_SweepOfOneProcessLeavesTheOthers) {
  TempFolder folder;
  const std::string a = std::to_string(DeadPid());
  const std::string b = std::to_string(DeadPid());
  std::ofstream(folder / (".slide.bmp.quillmere-" + a + "-aaaaaa")) << "x";
  std::ofstream(folder / (".slide.bmp.quillmere-" + b + "-bbbbbb")) << "x";
  EXPECT_EQ(SweepStaleTemporaries(folder.Path(), std::stoi(a)), 1);
  EXPECT_FALSE(fs::exists(folder / (".slide.bmp.quillmere-" + a + "-aaaaaa")));
  EXPECT_TRUE(fs::exists(folder / (".slide.bmp.quillmere-" + b + "-bbbbbb")));
  // A running process's files stay even when asked for by name.
  std::ofstream(folder / (".slide.bmp.quillmere-" + std::to_string(::getpid()) + "-cccccc")) << "x";
  EXPECT_EQ(SweepStaleTemporaries(folder.Path(), ::getpid()), 0);
}

}  // namespace
}  // namespace qm::test
