#pragma once
// One conversion of a list of files in jobs, as a front end starts it.

#include <string>
#include <vector>

#include "base/CancelToken.h"
#include "cli/CommandLine.h"
#include "cli/ProgressDisplay.h"

namespace qm {

class JobPool;

/// Converts `list` as `options` ask, in up to options.jobs job processes,
/// showing the run on `display` (which also records what became of each
/// file); `cancel` stops it at the next slide. Returns when every job is
/// gone, or parked warm in `pool` when one is given (JobRunner::SetJobPool).
void ConvertList(const CommandLine& options, const std::vector<std::string>& list,
                 ProgressDisplay& display, const CancelToken& cancel, JobPool* pool = nullptr);

}  // namespace qm
