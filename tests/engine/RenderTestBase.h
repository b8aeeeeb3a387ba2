#pragma once
// Common ground of the tests that start real render workers.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "base/Error.h"
#include "engine/protocol/RenderMessageType.h"
#include "engine/render/RenderWorkerSettings.h"
#include "tests/support/LeakCheck.h"
#include "tests/support/TempFolder.h"

namespace qm::test {

/// Gives each test worker settings of its own (the built worker, a private
/// temporary root for worker folders) and a folder for bitmaps. After the
/// test it checks what a renderer must never leave behind: a descriptor or a
/// child process (a zombie or a worker still running) the test did not have
/// before SetUp, a worker folder, a temporary file beside the bitmaps or in
/// the scratch folder, or a LibreOffice lock file beside the decks.
class RenderTestBase : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  /// Takes the leak snapshot TearDown compares with (SetUp takes one); a
  /// fixture that warms a worker shared beyond the test takes it again after.
  void TakeLeakSnapshot();

  /// Ends whatever workers the test holds in fixture members; called by
  /// TearDown before the checks.
  virtual void ReleaseWorkers() {}

  /// Expects `action` to throw qm::Error whose text contains every one of `parts`.
  template <class F>
  static void ExpectError(F&& action, std::initializer_list<std::string> parts) {
    try {
      action();
      ADD_FAILURE() << "no error was raised";
    } catch (const Error& error) {
      const std::string text = error.what();
      for (const std::string& part : parts) {
        EXPECT_NE(text.find(part), std::string::npos)
            << "\"" << text << "\" lacks \"" << part << "\"";
      }
    }
  }

  /// The text of the qm::Error `action` throws, or "(no error)".
  template <class F>
  static std::string ErrorText(F&& action) {
    try {
      action();
    } catch (const Error& error) {
      return error.what();
    }
    return "(no error)";
  }

  /// Writes an executable shell script `name` into the scratch folder and
  /// returns its path; `body` follows "#!/bin/sh".
  std::string WriteScript(const std::string& name, const std::string& body);

  /// printf arguments writing a well-formed kHello frame of `version` to fd 3.
  static std::string HelloPrintf(unsigned version = kRenderProtocolVersion);

  /// Number of worker folders under the private temporary root.
  int WorkerFolderCount() const;

  /// True when process `pid` no longer exists (reaped, not a zombie).
  static bool ProcessGone(int pid);

  /// Waits (up to 10 s) until our child `pid` has ended and can be reaped,
  /// without reaping it. True once it has.
  static bool WaitUntilDead(int pid);

  RenderWorkerSettings settings_;
  TempFolder root_;     ///< temporary root for worker folders
  TempFolder out_;      ///< where bitmaps are written
  TempFolder scratch_;  ///< scripts and copied decks
  std::optional<LeakCheck> leaks_;  ///< taken at the end of SetUp
};

}  // namespace qm::test
