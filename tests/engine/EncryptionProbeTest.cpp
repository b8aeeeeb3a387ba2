// Password-protected presentations told from damaged ones by their container,
// before LibreOffice spends seconds on them and calls them damaged.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>
#include <cstdint>
#include <fstream>
#include <string>

#include "engine/adapter/EncryptionProbe.h"
#include "tests/support/DeckCatalog.h"
#include "tests/support/TempFolder.h"

namespace qm::test {
namespace {

TEST(EncryptionProbe, EncryptedPptxAndPptAreCalledPasswordProtectedAndNothingElseIs) {
  const DeckCatalog& decks = DeckCatalog::Default();
  EXPECT_TRUE(IsPasswordProtected(decks.PathOf("password.pptx")));
  EXPECT_TRUE(IsPasswordProtected(decks.PathOf("password.ppt")));
  for (const char* plain : {"wide3.ppt", "std4.ppt", "wide3.pptx", "password.odp", "notes.pptx",
                            "empty.pptx", "truncated.pptx", "no-such-deck.pptx"})
    EXPECT_FALSE(IsPasswordProtected(decks.PathOf(plain))) << plain;
  EXPECT_FALSE(IsPasswordProtected(decks.PathOf("")));  // the folder itself
}

TEST(EncryptionProbe, CutContainersAreNotMistakenAndDoNotCrash) {
  const DeckCatalog& decks = DeckCatalog::Default();
  std::ifstream in(decks.PathOf("password.ppt"), std::ios::binary);
  const std::string whole((std::istreambuf_iterator<char>(in)), {});
  TempFolder folder;
  for (const std::size_t keep : {std::size_t{8}, std::size_t{600}, whole.size() / 2}) {
    const std::string path = folder.Path() + "/cut.ppt";
    std::ofstream(path, std::ios::binary) << whole.substr(0, keep);
    EXPECT_FALSE(IsPasswordProtected(path)) << "cut at " << keep;
  }
}

// --- Hostile containers: the probe runs in the front end, before any limit ----

constexpr std::uint32_t kFree = 0xFFFFFFFFu;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr std::uint32_t kFatSector = 0xFFFFFFFDu;

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

/// A compound file of 512-byte sectors: the header, then `sectors` sectors
/// of zeros; sector 0 is the FAT (listed in the header), sector 1 the
/// directory. The caller fills in the rest.
std::string CompoundFileOf(int sectors) {
  std::string bytes(512 * (1 + sectors), '\0');
  const unsigned char magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  bytes.replace(0, 8, reinterpret_cast<const char*>(magic), 8);
  bytes[0x1E] = 9;  // 512-byte sectors
  bytes[0x20] = 6;  // 64-byte mini sectors
  Put32(bytes, 0x2C, 1);
  Put32(bytes, 0x30, 1);  // the directory
  Put32(bytes, 0x38, 4096);
  Put32(bytes, 0x3C, kEndOfChain);
  Put32(bytes, 0x44, kEndOfChain);
  Put32(bytes, 0x4C, 0);  // the FAT in sector 0
  for (int i = 1; i < 109; ++i) Put32(bytes, 0x4C + 4 * i, kFree);
  const std::size_t fat = 512;
  for (int i = 0; i < 128; ++i) Put32(bytes, fat + 4 * i, kFree);
  Put32(bytes, fat + 0, kFatSector);
  Put32(bytes, fat + 4, kEndOfChain);  // the directory is one sector
  return bytes;
}

/// Directory entry `index` of sector 1: a stream `name` from `start`, `size` bytes.
void PutStream(std::string& bytes, int index, const std::string& name, std::uint32_t start,
               std::uint32_t size) {
  const std::size_t entry = 1024 + 128 * static_cast<std::size_t>(index);
  for (std::size_t i = 0; i < name.size(); ++i) bytes[entry + 2 * i] = name[i];
  bytes[entry + 0x40] = static_cast<char>(2 * (name.size() + 1));
  bytes[entry + 0x42] = 2;  // a stream
  Put32(bytes, entry + 0x74, start);
  Put32(bytes, entry + 0x78, size);
}

/// The most memory this process has held so far, in kilobytes.
long PeakKilobytes() {
  rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST(EncryptionProbe, HostileContainersCostNoMoreThanTheirOwnBytes) {
  TempFolder folder;
  const long peakBefore = PeakKilobytes();
  const auto probe = [&](const std::string& name, const std::string& bytes) {
    const std::string path = folder.Path() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return IsPasswordProtected(path);
  };

  // The DIFAT chain comes back to itself and claims four billion sectors:
  // each turn listed 127 more FAT sectors, so memory grew without end.
  std::string difatLoop = CompoundFileOf(2);
  Put32(difatLoop, 0x44, 1);
  Put32(difatLoop, 0x48, 0xFFFFFFF0u);
  for (int i = 0; i < 128; ++i) Put32(difatLoop, 1024 + 4 * i, 1);
  EXPECT_FALSE(probe("difat-loop.ppt", difatLoop));

  // "Current User" claims 4 GB along a chain that loops on sector 2: read
  // sector after sector, a gigabyte and more of memory.
  std::string streamLoop = CompoundFileOf(3);
  Put32(streamLoop, 512 + 4 * 2, 2);
  PutStream(streamLoop, 0, "Root Entry", kEndOfChain, 0);
  streamLoop[1024 + 0x42] = 5;  // the root
  PutStream(streamLoop, 1, "Current User", 2, 0xFFFFFFF0u);
  EXPECT_FALSE(probe("stream-loop.ppt", streamLoop));

  // Many "Current User" entries whose mini chains loop: each entry read the
  // mini stream and its FAT again, for as long as a chain could run.
  std::string miniLoop = CompoundFileOf(4);
  Put32(miniLoop, 512 + 4 * 2, kEndOfChain);  // the mini stream: sector 2
  Put32(miniLoop, 512 + 4 * 3, kEndOfChain);  // the mini FAT: sector 3
  Put32(miniLoop, 0x3C, 3);
  Put32(miniLoop, 0x40, 1);
  for (int i = 0; i < 128; ++i) Put32(miniLoop, 2048 + 4 * i, 0);  // mini sector 0 -> 0
  PutStream(miniLoop, 0, "Root Entry", 2, 512);
  miniLoop[1024 + 0x42] = 5;
  for (int i = 1; i < 4; ++i) PutStream(miniLoop, i, "Current User", 0, 4000);
  EXPECT_FALSE(probe("mini-loop.ppt", miniLoop));

  // Files of a few kilobytes: nothing near a megabyte is ever needed.
  EXPECT_LT(PeakKilobytes() - peakBefore, 16 * 1024);
}

}  // namespace
}  // namespace qm::test
