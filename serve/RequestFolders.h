#pragma once
// The private folders of the service's requests, under TMPDIR.

#include <string>

namespace qm {

/// Makes a new folder of its own for one request, readable by this user
/// only: TMPDIR (or /tmp) + "/quillmere-serve-<pid>-XXXXXX". "" (with errno)
/// when it cannot.
std::string NewRequestFolder();

/// Removes the request folders of services that are gone (killed outright,
/// so they could not remove their own): those whose process id no longer
/// runs. Returns how many were removed.
int SweepAbandonedRequestFolders();

}  // namespace qm
