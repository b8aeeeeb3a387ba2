#pragma once
// The result of an operation below the adapter: success, or a failure with
// the sentence a person reads and, when a system call failed, its errno.

#include <string>
#include <utility>

namespace qm {

/// Either ok, or failed with Message() naming the file and saying what went
/// wrong, and SystemError() the errno of the failed system call (0 when the
/// failure was not a system call's). A default-made Status is ok.
class [[nodiscard]] Status {
 public:
  Status() = default;

  /// A failure described by `message`, with `systemError` the errno or 0.
  static Status Failure(std::string message, int systemError = 0) {
    return Status(std::move(message), systemError, true);
  }

  bool Ok() const { return !failed_; }
  /// Empty when ok.
  const std::string& Message() const { return message_; }
  /// The errno of a failed system call; 0 when ok or for other failures.
  int SystemError() const { return systemError_; }

 private:
  Status(std::string message, int systemError, bool failed)
      : message_(std::move(message)), systemError_(systemError), failed_(failed) {}

  std::string message_;
  int systemError_ = 0;
  bool failed_ = false;
};

}  // namespace qm
