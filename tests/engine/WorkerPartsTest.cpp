// Parts of the render worker that need no LibreOffice: pixel conversion, file
// URLs and the signal-safe removal of its folder.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/worker/FileUrl.h"
#include "engine/worker/PixelConversion.h"
#include "engine/worker/SignalSafeRemoval.h"
#include "tests/support/TempFolder.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

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

}  // namespace
}  // namespace qm::test
