#pragma once
// Turning the signals that ask a program to stop into a cancelled run.

#include <csignal>

#include <signal.h>

#include "base/CancelToken.h"

namespace qm {

/// While an object lives, SIGINT, SIGTERM, SIGHUP and SIGPIPE (a closed
/// output pipe) do not end the process: they cancel the run (Token()),
/// so the jobs stop at their next slide and clean up, and the program can
/// then end with 128 + the signal. The previous handlers come back in the
/// destructor. One object at a time, made on the main thread.
class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  /// The first stop signal received; 0 when none came.
  static int Caught();

  /// Requested by the first stop signal; hand it to the run's JobRunner.
  static const CancelToken& Token();

 private:
  struct sigaction saved_[4];
};

}  // namespace qm
