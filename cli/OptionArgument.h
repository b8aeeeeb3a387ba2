#pragma once
// One option of quillmere-batch's command line, with the value it takes.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qm {

/// The option at one place of a command line. Its value, when it takes one,
/// is written inline ("--name=value", "-xVALUE") or is the next argument.
/// Failures are written as a sentence into the error given at construction.
class OptionArgument {
 public:
  /// The option at args[*index]. Value() moves *index past a value taken
  /// from the next argument.
  OptionArgument(const std::vector<std::string>& args, std::size_t* index, std::string* error);

  /// The option's name, without an inline value ("--mode", "-m").
  const std::string& Name() const { return name_; }

  /// The value: inline, else the next argument; nullopt and the error "Option
  /// NAME needs WHAT." when there is none.
  std::optional<std::string> Value(const char* what);

  /// Sets `target` for an option that takes no value; false and the error
  /// "Option NAME takes no value." when one was written inline.
  bool Flag(bool& target);

  /// Sets the error to `message`; returns false, for `return Fail(...)`.
  bool Fail(const std::string& message);

 private:
  const std::vector<std::string>& args_;
  std::size_t* index_;
  std::string* error_;
  std::string name_;
  std::optional<std::string> inlineValue_;
};

}  // namespace qm
