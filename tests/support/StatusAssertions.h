#pragma once
// Checking a Status in a test, with its message shown when it failed.

#include <gtest/gtest.h>

#include <string>

#include "base/Status.h"

namespace qm::test {

/// Success when `status` is ok; otherwise a failure showing its message.
inline ::testing::AssertionResult Succeeded(const Status& status) {
  if (status.Ok()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << status.Message();
}

/// True when `status` failed; then stores its message in `message` and its
/// errno in `systemError` (either may be null), for tests that look at them.
inline bool FailedWith(const Status& status, std::string* message, int* systemError = nullptr) {
  if (message) *message = status.Message();
  if (systemError) *systemError = status.SystemError();
  return !status.Ok();
}

}  // namespace qm::test
