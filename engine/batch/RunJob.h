#pragma once
// The life of one conversion job, inside the job's own process.

#include <functional>
#include <memory>

#include "base/CancelToken.h"
#include "engine/adapter/ApplicationFactory.h"

namespace qm {

/// Makes the application factory the job converts with.
using FactoryMaker = std::function<std::unique_ptr<ApplicationFactory>()>;

/// Serves the front end on the connected socket `fd` (JobMessageType.h):
/// asks for work, converts each task it is given in order with the
/// exporters, and tells what happens. Returns the process's exit status: 0
/// after kQuit or when the front end is gone, 128 + the signal when a signal
/// cancelled it, 2 when the job could not start. SIGINT, SIGTERM and SIGHUP
/// cancel: the file under way stops at its next slide and its temporary
/// files are deleted before the job returns. The job also ends when its
/// parent dies (it is sent SIGTERM then).
int RunJob(int fd, const FactoryMaker& makeFactory);

/// The request to stop that the job's stop signals make and its exporters
/// heed; the factory's renderers may heed it too.
const CancelToken& JobCancelToken();

}  // namespace qm
