#include "filelist/FilePattern.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>

#include "base/Utf8.h"

namespace qm {

namespace {

// Folds a character for comparison. The C.UTF-8 locale knows the Unicode
// case mapping; it is built into the C library here, but when it is missing
// only ASCII letters fold.
char32_t Fold(char32_t c) {
  if (c < 0x80) return (c >= U'a' && c <= U'z') ? c - (U'a' - U'A') : c;
  static const locale_t unicode = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  return unicode ? static_cast<char32_t>(::towupper_l(static_cast<wint_t>(c), unicode)) : c;
}

// A byte that does not decode stands for itself, moved out of the range of
// real characters so it never equals one.
constexpr char32_t kBrokenByteBase = 0x110000;

// Reads the character at `pos` of `text` and moves past it.
char32_t NextChar(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  char32_t c = 0;
  if (DecodeUtf8(text, pos, c)) return c;
  return kBrokenByteBase + static_cast<unsigned char>(text[start]);
}

bool IsAscii(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

FilePattern::FilePattern(std::string_view pattern) {
  if (pattern.empty() || pattern == "*" || pattern == "*.*") {
    matchesEverything_ = true;
    return;
  }
  std::vector<char32_t> chars;
  for (std::size_t pos = 0; pos < pattern.size();) chars.push_back(NextChar(pattern, pos));

  for (std::size_t i = 0; i < chars.size(); ++i) {
    const char32_t c = chars[i];
    const bool last = i + 1 == chars.size();
    if (c == U'*') {
      tokens_.push_back({Kind::Star, 0});
    } else if (c == U'?') {
      tokens_.push_back({Kind::DosQm, 0});
    } else if (c == U'.' && last && i > 0 && chars[i - 1] == U'*') {
      // "*." at the end: the star may not pass the name's last dot, and the
      // dot itself is dropped, which leaves exactly the names without one.
      tokens_.back().kind = Kind::DosStar;
    } else if (c == U'.' && !last && (chars[i + 1] == U'*' || chars[i + 1] == U'?')) {
      tokens_.push_back({Kind::DosDot, 0});
    } else {
      tokens_.push_back({Kind::Literal, Fold(c)});
    }
  }
  starsAndAsciiOnly_ = std::all_of(tokens_.begin(), tokens_.end(), [](const Token& token) {
    return token.kind == Kind::Star || (token.kind == Kind::Literal && token.folded < 0x80);
  });
}

bool FilePattern::Matches(std::string_view name) const {
  if (matchesEverything_) return true;
  if (starsAndAsciiOnly_ && IsAscii(name)) return MatchStarsAndAscii(name);
  // Two sets of positions in the token list, one byte per position; the
  // usual short pattern needs no heap.
  const std::size_t count = tokens_.size();
  constexpr std::size_t kInline = 64;
  char inlineSets[2 * kInline];
  std::vector<char> heapSets;
  char* sets = inlineSets;
  if (count + 1 > kInline) {
    heapSets.resize(2 * (count + 1));
    sets = heapSets.data();
  }
  return Run(name, sets, sets + count + 1);
}

bool FilePattern::MatchStarsAndAscii(std::string_view name) const {
  // The classic wildcard walk: on a mismatch, let the last star seen take
  // one more character and try again from there. Exact for "*" and
  // single-character literals, and linear for the usual patterns.
  const std::size_t count = tokens_.size();
  const std::size_t none = count;
  std::size_t t = 0, n = 0, star = none, resume = 0;
  while (n < name.size()) {
    if (t < count && tokens_[t].kind == Kind::Literal &&
        tokens_[t].folded == Fold(static_cast<unsigned char>(name[n]))) {
      ++t, ++n;
    } else if (t < count && tokens_[t].kind == Kind::Star) {
      star = t++;
      resume = n;
    } else if (star != none) {
      t = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (t < count && tokens_[t].kind == Kind::Star) ++t;
  return t == count;
}

bool FilePattern::Run(std::string_view name, char* reached, char* next) const {
  // `reached` holds the positions in the token list that the name read so
  // far can reach; position tokens_.size() means "pattern consumed".
  const std::size_t count = tokens_.size();
  std::fill(reached, reached + count + 1, 0);
  reached[0] = 1;
  const std::size_t lastDot = name.rfind('.');  // "." never occurs inside a multi-byte character

  std::size_t pos = 0;
  for (;;) {
    const bool atEnd = pos >= name.size();
    const std::size_t charStart = pos;
    const char32_t c = atEnd ? 0 : NextChar(name, pos);
    PassEmptyMatches(reached, c, atEnd);
    if (atEnd) return reached[count] != 0;
    if (!Consume(reached, next, c, charStart, lastDot)) return false;
    std::swap(reached, next);
  }
}

void FilePattern::PassEmptyMatches(char* reached, char32_t c, bool atEnd) const {
  for (std::size_t i = 0; i < tokens_.size(); ++i) {
    if (!reached[i]) continue;
    switch (tokens_[i].kind) {
      case Kind::Star:
      case Kind::DosStar:
        reached[i + 1] = 1;
        break;
      case Kind::DosQm:
        if (atEnd || c == U'.') reached[i + 1] = 1;
        break;
      case Kind::DosDot:
        if (atEnd) reached[i + 1] = 1;
        break;
      case Kind::Literal:
        break;
    }
  }
}

bool FilePattern::Consume(const char* reached, char* next, char32_t c, std::size_t charStart,
                          std::size_t lastDot) const {
  const std::size_t count = tokens_.size();
  std::fill(next, next + count + 1, 0);
  bool any = false;
  const char32_t folded = Fold(c);
  for (std::size_t i = 0; i < count; ++i) {
    if (!reached[i]) continue;
    const Token& token = tokens_[i];
    std::size_t to = count + 1;  // none
    switch (token.kind) {
      case Kind::Star:
        to = i;
        break;
      case Kind::DosStar:
        if (c != U'.' || (lastDot != std::string_view::npos && lastDot > charStart)) to = i;
        break;
      case Kind::DosQm:
        if (c != U'.') to = i + 1;
        break;
      case Kind::DosDot:
        if (c == U'.') to = i + 1;
        break;
      case Kind::Literal:
        if (token.folded == folded) to = i + 1;
        break;
    }
    if (to <= count) next[to] = 1, any = true;
  }
  return any;
}

}  // namespace qm
