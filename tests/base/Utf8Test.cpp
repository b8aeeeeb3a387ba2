// The UTF-8 decoder's promise to its callers: after a byte that starts no
// character, decoding goes on with the very next byte.

#include <gtest/gtest.h>

#include "base/Utf8.h"

namespace qm {
namespace {

TEST(DecodeUtf8, AFailureSkipsOnlyTheByteThatStartsNoCharacter) {
  // A truncated three-byte sequence (E2 82) before "A", an overlong "/"
  // (C0 AF), and a surrogate (ED A0 80): each refusal moves one byte on.
  for (const std::string& broken : {std::string("\xE2\x82" "A"), std::string("\xC0\xAF"),
                                    std::string("\xED\xA0\x80")}) {
    std::size_t pos = 0;
    char32_t c = 0;
    EXPECT_FALSE(DecodeUtf8(broken, pos, c));
    EXPECT_EQ(pos, 1u) << "after a refusal of " << broken.size() << " bytes";
  }
  // So a caller that goes on reads the "A" behind the broken sequence.
  const std::string text = "\xE2\x82" "A";
  std::size_t pos = 0;
  char32_t c = 0;
  std::u32string read;
  while (pos < text.size())
    if (DecodeUtf8(text, pos, c)) read.push_back(c);
  EXPECT_EQ(read, U"A");
}

}  // namespace
}  // namespace qm
