#pragma once
// The error that a failing step raises. Its description is what a person
// reads in the error report, so it names the file and says what went wrong.

#include <stdexcept>
#include <string>

namespace qm {

/// A failure with a description a person understands and an optional number
/// (5 = invalid procedure call, as the JPEG writer raises; 0 = unspecified).
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& description, int number = 0)
      : std::runtime_error(description), number_(number) {}

  /// An error that only follows from an earlier failure of the same file
  /// (the steps after a failed open find no presentation). It is reported
  /// like any other; a front end that says each failure once leaves it out.
  static Error Consequence(const std::string& description) {
    Error error(description);
    error.consequence_ = true;
    return error;
  }

  /// The error's number; 0 when the raiser gave none.
  int Number() const { return number_; }
  /// True for an error made by Consequence().
  bool IsConsequence() const { return consequence_; }

 private:
  int number_;
  bool consequence_ = false;
};

}  // namespace qm
