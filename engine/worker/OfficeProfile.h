#pragma once
// The throwaway LibreOffice profile each worker runs with.

#include <string>

namespace qm {

/// Creates `folder`/profile/user/registrymodifications.xcu with the settings
/// a renderer needs: no lock files beside the user's presentations (a killed
/// worker would leave them behind), no document locking, no autosave or
/// recovery data. The user's own profile is never read or written.
/// Returns the profile's URL for LibreOfficeKit, or "" with `*error` set.
std::string PrepareOfficeProfile(const std::string& folder, std::string* error);

}  // namespace qm
