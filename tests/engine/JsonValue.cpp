#include "JsonValue.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace qm::test {

namespace {

class Parser {
 public:
  explicit Parser(const std::string& text) : text_(text) {}

  JsonValue Document() {
    JsonValue value = Value();
    SkipSpace();
    if (at_ != text_.size()) Fail("text after the value");
    return value;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error("decks.json is malformed at byte " + std::to_string(at_) + ": " +
                             what);
  }

  void SkipSpace() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }

  bool Literal(const char* word) {
    const std::string w(word);
    if (text_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }

  void Expect(char ch) {
    SkipSpace();
    if (at_ >= text_.size() || text_[at_] != ch) Fail(std::string("expected '") + ch + "'");
    ++at_;
  }

  std::string String() {
    Expect('"');
    std::string out;
    while (at_ < text_.size() && text_[at_] != '"') {
      char ch = text_[at_++];
      if (ch == '\\') {
        if (at_ >= text_.size()) Fail("unfinished escape");
        const char esc = text_[at_++];
        switch (esc) {
          case 'n': ch = '\n'; break;
          case 't': ch = '\t'; break;
          case 'r': ch = '\r'; break;
          case 'b': ch = '\b'; break;
          case 'f': ch = '\f'; break;
          case 'u': {
            if (at_ + 4 > text_.size()) Fail("short \\u escape");
            const unsigned code = std::stoul(text_.substr(at_, 4), nullptr, 16);
            at_ += 4;
            if (code < 0x80) {
              out.push_back(static_cast<char>(code));
            } else if (code < 0x800) {
              out.push_back(static_cast<char>(0xC0 | (code >> 6)));
              out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
            } else {
              out.push_back(static_cast<char>(0xE0 | (code >> 12)));
              out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
              out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
            }
            continue;
          }
          default: ch = esc; break;
        }
      }
      out.push_back(ch);
    }
    Expect('"');
    return out;
  }

  JsonValue Value() {
    SkipSpace();
    if (at_ >= text_.size()) Fail("unexpected end");
    JsonValue value;
    const char ch = text_[at_];
    if (ch == '{') {
      value.kind = JsonValue::Kind::kObject;
      ++at_;
      SkipSpace();
      if (at_ < text_.size() && text_[at_] == '}') return ++at_, value;
      for (;;) {
        std::string name = String();
        Expect(':');
        value.members.emplace_back(std::move(name), Value());
        SkipSpace();
        if (at_ < text_.size() && text_[at_] == ',') { ++at_; continue; }
        Expect('}');
        return value;
      }
    }
    if (ch == '[') {
      value.kind = JsonValue::Kind::kArray;
      ++at_;
      SkipSpace();
      if (at_ < text_.size() && text_[at_] == ']') return ++at_, value;
      for (;;) {
        value.items.push_back(Value());
        SkipSpace();
        if (at_ < text_.size() && text_[at_] == ',') { ++at_; continue; }
        Expect(']');
        return value;
      }
    }
    if (ch == '"') {
      value.kind = JsonValue::Kind::kString;
      value.text = String();
      return value;
    }
    if (Literal("true")) { value.kind = JsonValue::Kind::kBool; value.boolean = true; return value; }
    if (Literal("false")) { value.kind = JsonValue::Kind::kBool; return value; }
    if (Literal("null")) return value;
    char* end = nullptr;
    value.number = std::strtod(text_.c_str() + at_, &end);
    if (end == text_.c_str() + at_) Fail("expected a value");
    value.kind = JsonValue::Kind::kNumber;
    at_ = static_cast<std::size_t>(end - text_.c_str());
    return value;
  }

  const std::string& text_;
  std::size_t at_ = 0;
};

}  // namespace

JsonValue JsonValue::Parse(const std::string& json) { return Parser(json).Document(); }

bool JsonValue::Has(const std::string& name) const {
  if (kind != Kind::kObject) return false;
  for (const auto& member : members) {
    if (member.first == name) return true;
  }
  return false;
}

const JsonValue& JsonValue::operator[](const std::string& name) const {
  if (kind == Kind::kObject) {
    for (const auto& member : members) {
      if (member.first == name) return member.second;
    }
  }
  throw std::runtime_error("decks.json has no member \"" + name + "\" where one was expected");
}

int JsonValue::Int() const {
  if (kind != Kind::kNumber) throw std::runtime_error("decks.json: a number was expected");
  return static_cast<int>(std::lround(number));
}

}  // namespace qm::test
