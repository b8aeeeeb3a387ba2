#pragma once
// Where LibreOffice's program folder is, for the render worker that loads it
// and for the checks that explain what is missing.

#include <string>

namespace qm {

/// The environment variable that names another program folder (tests point
/// it at a missing folder; a LibreOffice installed elsewhere can be used).
inline constexpr const char* kOfficeProgramVariable = "QUILLMERE_LIBREOFFICE_PROGRAM";

/// Debian's program folder, used when the variable is unset or empty.
inline constexpr const char* kDefaultOfficeProgramFolder = "/usr/lib/libreoffice/program";

/// The program folder: the variable's value when set and not empty, else
/// the default. Never fails; the folder may not exist.
std::string OfficeProgramFolder();

}  // namespace qm
