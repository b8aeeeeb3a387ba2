// Password-protected presentations told from damaged ones by their container,
// before LibreOffice spends seconds on them and calls them damaged.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

}  // namespace
}  // namespace qm::test
