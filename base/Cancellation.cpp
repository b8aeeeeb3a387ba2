#include "base/Cancellation.h"

#include <csignal>

namespace qm {

namespace {
volatile std::sig_atomic_t gCancelled = 0;
}  // namespace

void RequestCancel() { gCancelled = 1; }

bool CancelRequested() { return gCancelled != 0; }

}  // namespace qm
