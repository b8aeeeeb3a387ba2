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

  /// The error's number; 0 when the raiser gave none.
  int Number() const { return number_; }

 private:
  int number_;
};

}  // namespace qm
