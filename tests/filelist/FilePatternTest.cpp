// FilePattern: the wildcard rules of the classic file enumeration.

#include <gtest/gtest.h>

#include "FilePattern.h"

namespace qm {
namespace {

bool Match(const char* pattern, const char* name) { return FilePattern(pattern).Matches(name); }

TEST(FilePattern, DefaultImportPatternTakesEveryPresentationKindInAnyCase) {
  EXPECT_TRUE(Match("*.ppt*", "deck.ppt"));
  EXPECT_TRUE(Match("*.ppt*", "deck.pptx"));
  EXPECT_TRUE(Match("*.ppt*", "Deck.PPTM"));
  EXPECT_TRUE(Match("*.ppt*", "q3.final.pptx"));
  EXPECT_TRUE(Match("*.ppt*", ".pptx"));
  EXPECT_FALSE(Match("*.ppt*", "deck.pdf"));
  EXPECT_FALSE(Match("*.ppt*", "pptx"));
  EXPECT_FALSE(Match("*.ppt*", "deck.pp"));
}

TEST(FilePattern, StarDotStarAndStarMatchNamesWithoutDot) {
  for (const char* pattern : {"*.*", "*", ""}) {
    EXPECT_TRUE(Match(pattern, "Makefile")) << pattern;
    EXPECT_TRUE(Match(pattern, "deck.pptx")) << pattern;
    EXPECT_TRUE(Match(pattern, ".profile")) << pattern;
  }
}

TEST(FilePattern, ExtensionTypedWithLeadingDotFindsOrdinaryNamesNot) {
  EXPECT_FALSE(Match("*..ppt", "deck.ppt"));
  EXPECT_TRUE(Match("*..ppt", "deck..ppt"));
}

TEST(FilePattern, LiteralsMustMatchWholeName) {
  EXPECT_TRUE(Match("*.txt", "notes.TXT"));
  EXPECT_FALSE(Match("*.txt", "notes.txt.bak"));
  EXPECT_FALSE(Match("deck.ppt", "mydeck.ppt"));
  EXPECT_FALSE(Match("deck.ppt", "deck.pptx"));
}

TEST(FilePattern, QuestionMarkIsOneCharacterOrNothingBeforeDotOrEnd) {
  EXPECT_TRUE(Match("deck?.pptx", "deck1.pptx"));
  EXPECT_TRUE(Match("deck?.pptx", "deck.pptx"));
  EXPECT_FALSE(Match("deck?.pptx", "deck12.pptx"));
  EXPECT_TRUE(Match("deck??", "deck"));
  EXPECT_TRUE(Match("deck??", "deck1"));
  EXPECT_FALSE(Match("deck??", "deck123"));
  EXPECT_FALSE(Match("a?c", "ac"));  // inside the name "?" takes exactly one character
  // One character, not one byte.
  EXPECT_TRUE(Match("?.pptx", "\xc3\xa9.pptx"));
  EXPECT_FALSE(Match("?.pptx", "\xc3\xa9\xc3\xa9.pptx"));
}

TEST(FilePattern, DotBeforeWildcardAlsoMatchesTheEnd) {
  EXPECT_TRUE(Match("readme.*", "readme"));
  EXPECT_TRUE(Match("readme.*", "README.md"));
  EXPECT_FALSE(Match("readme.*", "readmes"));
}

TEST(FilePattern, StarDotAtTheEndTakesNamesWithoutAnyDot) {
  EXPECT_TRUE(Match("*.", "Makefile"));
  EXPECT_FALSE(Match("*.", "deck.pptx"));
  EXPECT_FALSE(Match("*.", "a.b.c"));
}

TEST(FilePattern, NonAsciiLettersCompareWithoutCase) {
  EXPECT_TRUE(Match("*.\xc3\xa9t\xc3\xa9", "r\xc3\xa9sum\xc3\xa9.\xc3\x89T\xc3\x89"));  // été / ÉTÉ
  EXPECT_TRUE(Match("\xd0\xbf*", "\xd0\x9f\xd1\x80\xd0\xb5\xd0\xb7.pptx"));           // п* / През
  EXPECT_FALSE(Match("\xc3\xa9*", "e.pptx"));
}

TEST(FilePattern, BrokenBytesNeverMatchALetter) {
  EXPECT_TRUE(Match("*.pptx", "caf\xe9.pptx"));
  EXPECT_FALSE(Match("caf\xc3\xa9.pptx", "caf\xe9.pptx"));
  EXPECT_FALSE(Match("cafe.pptx", "caf\xe9.pptx"));
}

}  // namespace
}  // namespace qm
