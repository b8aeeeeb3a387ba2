#pragma once
// One warm render worker for the tests of a program that only render through
// it, so LibreOffice starts once per program instead of once per test.

#include <gtest/gtest.h>

#include <memory>

#include "engine/render/RenderWorker.h"
#include "engine/render/RenderWorkerSettings.h"
#include "tests/support/TempFolder.h"

namespace qm::test {

/// Holds the shared worker; registered as a GoogleTest environment, so the
/// worker is ended and its folder removed when the test program ends.
/// Tests of the worker's own life (kills, hangs, quits) start their own.
class SharedRenderWorker : public ::testing::Environment {
 public:
  /// The shared worker, started on first use from `settings` (its temporary
  /// root replaced by one of the environment's, which outlives every test),
  /// and started afresh when the last one is no longer usable.
  static RenderWorker& Get(const RenderWorkerSettings& settings);

  /// Closes the shared worker's presentation, if any, so no document stays
  /// open (and locked) between tests; the worker stays warm.
  static void CloseDocument();

  void TearDown() override;

 private:
  std::unique_ptr<TempFolder> root_;
  std::unique_ptr<RenderWorker> worker_;
};

}  // namespace qm::test
