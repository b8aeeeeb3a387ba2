#include "engine/batch/StopSignals.h"


namespace qm {

namespace {

constexpr int kSignals[4] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
volatile std::sig_atomic_t gCaught = 0;
CancelToken gStopRequested;

void OnStop(int signal) {
  if (gCaught == 0) gCaught = signal;
  gStopRequested.Request();
}

}  // namespace

const CancelToken& StopSignals::Token() { return gStopRequested; }

StopSignals::StopSignals() {
  struct sigaction action {};
  action.sa_handler = &OnStop;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a wait in progress returns at once and looks at the request.
  // Cannot fail for these signals and a valid action.
  for (int i = 0; i < 4; ++i) (void)::sigaction(kSignals[i], &action, &saved_[i]);
}

StopSignals::~StopSignals() {
  // Putting back handlers that were in place cannot fail.
  for (int i = 0; i < 4; ++i) (void)::sigaction(kSignals[i], &saved_[i], nullptr);
}

int StopSignals::Caught() { return gCaught; }

}  // namespace qm
