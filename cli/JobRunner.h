#pragma once
// Converts the shares of a plan in separate processes, one batch run and one
// renderer each, and shows their events as they come.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/adapter/ApplicationFactory.h"
#include "cli/CommandLine.h"
#include "cli/ProgressDisplay.h"

namespace qm {

/// Makes the application factory a job converts with (called in the job's process).
using FactoryMaker = std::function<std::unique_ptr<ApplicationFactory>()>;

/// Runs every share of `shares` as its own process and waits for all of them.
/// Returns true when every job ended normally and no file got a report.
/// A job that dies is named on `display` and counts as a failure.
bool RunJobs(const std::vector<std::vector<std::string>>& shares, const CommandLine& options,
             const FactoryMaker& makeFactory, ProgressDisplay& display);

}  // namespace qm
