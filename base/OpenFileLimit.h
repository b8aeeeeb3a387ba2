#pragma once
// The number of files this process may hold open.

namespace qm {

/// Raises the soft limit on open files (RLIMIT_NOFILE) to the hard limit and
/// returns the soft limit in force afterwards (the old one if raising failed,
/// -1 if it cannot be read).
long RaiseOpenFileLimit();

}  // namespace qm
