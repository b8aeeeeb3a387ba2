#pragma once
// Reading a whole number that a person typed or a settings file holds.

#include <optional>
#include <string>

namespace qm {

/// `text` as a whole decimal number from `low` to `high`; nullopt for
/// anything else (empty, trailing characters, out of range).
std::optional<int> WholeNumber(const std::string& text, long low, long high);

}  // namespace qm
