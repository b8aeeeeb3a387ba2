#pragma once
// Removing the worker's private folder from a signal handler.

namespace qm {

/// Removes the folder `path` and everything in it, using only system calls
/// that are safe inside a signal handler (no allocation, no locks); symbolic
/// links are removed, never followed. Not reentrant: it shares one static
/// buffer, so callers must make sure only one removal runs at a time.
/// Returns true when the folder is gone afterwards.
bool RemoveTreeSignalSafe(const char* path);

}  // namespace qm
