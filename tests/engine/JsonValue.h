#pragma once
// Just enough JSON for the tests to read decks.json.

#include <string>
#include <utility>
#include <vector>

namespace qm::test {

/// A parsed JSON value. Objects keep their members in file order.
struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::vector<std::pair<std::string, JsonValue>> members;

  /// Parses `json`; throws std::runtime_error saying where it is malformed.
  static JsonValue Parse(const std::string& json);

  /// The member `name`; throws std::runtime_error when absent or not an object.
  const JsonValue& operator[](const std::string& name) const;
  /// True when this is an object with a member `name`.
  bool Has(const std::string& name) const;
  /// The number as an int; throws when this is not a number.
  int Int() const;
};

}  // namespace qm::test
