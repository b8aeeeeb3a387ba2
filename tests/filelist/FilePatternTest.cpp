// FilePattern: the wildcard rules of the classic file enumeration.

#include <gtest/gtest.h>

#include "filelist/FilePattern.h"

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

TEST(FilePattern, StarGivesBackCharactersWhenALaterLiteralFails) {
  EXPECT_TRUE(Match("*.ppt*", "a.pp.pptx"));
  EXPECT_TRUE(Match("*.ppt*", "a.ppt.b"));
  EXPECT_TRUE(Match("*ab*ab", "xabyabab"));
  EXPECT_FALSE(Match("*ab*ab", "xabyaba"));
}

// A plain reference: "*" any run, every other character itself, compared
// case-insensitively for a-z and e acute only.
bool Reference(const std::u32string& pattern, const std::u32string& name) {
  auto fold = [](char32_t c) -> char32_t {
    if (c >= U'a' && c <= U'z') return c - 32;
    return c == U'\u00e9' ? U'\u00c9' : c;
  };
  if (pattern.empty()) return name.empty();
  if (pattern[0] == U'*')
    return Reference(pattern.substr(1), name) || (!name.empty() && Reference(pattern, name.substr(1)));
  return !name.empty() && fold(pattern[0]) == fold(name[0]) && Reference(pattern.substr(1), name.substr(1));
}

std::string Utf8(const std::u32string& text) {
  std::string out;
  for (char32_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Every text of length 0..maxLength over `alphabet`.
std::vector<std::u32string> AllTexts(const std::u32string& alphabet, std::size_t maxLength) {
  std::vector<std::u32string> texts{U""};
  for (std::size_t i = 0; i < texts.size(); ++i)
    if (texts[i].size() < maxLength)
      for (char32_t c : alphabet) texts.push_back(texts[i] + c);
  return texts;
}

TEST(FilePattern, StarPatternsAgreeWithPlainWildcardMatchingForAsciiAndOtherNames) {
  // Names with "\u00e9" take the general path, the others the quick walk for
  // ASCII names; both must agree with the reference.
  const auto patterns = AllTexts(U"ab*\u00e9", 4);
  const auto names = AllTexts(U"Ab\u00e9", 5);
  int disagreements = 0;
  for (const auto& pattern : patterns) {
    const std::string text = Utf8(pattern);
    if (text.empty() || text == "*") continue;  // these match every name, also ""
    const FilePattern compiled(text);
    for (const auto& name : names) {
      if (name.empty()) continue;  // file names are never empty
      if (compiled.Matches(Utf8(name)) != Reference(pattern, name) && ++disagreements <= 5)
        ADD_FAILURE() << "pattern " << text << " name " << Utf8(name);
    }
  }
  EXPECT_EQ(disagreements, 0);
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
