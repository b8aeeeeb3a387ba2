#pragma once
// A file-name pattern with the wildcard rules people know from the classic
// file enumeration: "*.ppt*", "*.*", "deck?.pptx".
//
//   *       any run of characters, also none
//   ?       one character; next to a "." or at the end of the name it may
//           also match nothing, so "deck?.pptx" matches "deck.pptx" too
//   .       followed by "*" or "?", matches a "." or the end of the name,
//           so "a.*" matches "a" as well as "a.txt"
//   *.      at the end of the pattern: names without any "."
//   "", "*" and "*.*" match every name, also names without a "."
//
// Letters compare without regard to case (Unicode simple case mapping where
// the C.UTF-8 locale is available, ASCII otherwise). "?" stands for one
// character, not one byte. Names that are not well-formed UTF-8 are compared
// byte by byte for their broken parts and never match a letter there.

#include <string>
#include <string_view>
#include <vector>

namespace qm {

class FilePattern {
 public:
  /// Prepares `pattern` (UTF-8) for matching. Never fails: every text is a pattern.
  explicit FilePattern(std::string_view pattern);

  /// True when the file name `name` (a name, not a path) matches.
  bool Matches(std::string_view name) const;

 private:
  enum class Kind : unsigned char {
    Literal,  ///< one character, compared case-insensitively
    Star,     ///< "*": any run
    DosStar,  ///< "*" before a final ".": any run that does not pass the name's last "."
    DosQm,    ///< "?": one character, or nothing at a "." or at the end
    DosDot,   ///< "." before "*" or "?": a "." or the end of the name
  };
  struct Token {
    Kind kind;
    char32_t folded;  ///< the folded character of a Literal
  };

  // Matches an ASCII `name` when the pattern has only "*" and ASCII literals.
  bool MatchStarsAndAscii(std::string_view name) const;

  // Matches `name` using `reached` and `next`, two scratch sets of
  // tokens_.size() + 1 positions each.
  bool Run(std::string_view name, char* reached, char* next) const;

  // Adds to `reached` the positions that tokens matching nothing lead to,
  // before the character `c` (or at the end of the name, `atEnd`).
  void PassEmptyMatches(char* reached, char32_t c, bool atEnd) const;

  // Fills `next` with the positions reached by consuming `c`, which starts
  // at byte `charStart` of a name whose last "." is at `lastDot`; false
  // when none is.
  bool Consume(const char* reached, char* next, char32_t c, std::size_t charStart,
               std::size_t lastDot) const;

  std::vector<Token> tokens_;
  bool matchesEverything_ = false;
  bool starsAndAsciiOnly_ = false;  ///< the fast walk applies to ASCII names
};

}  // namespace qm
