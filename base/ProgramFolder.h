#pragma once
// Where the running program lies, and where its helper programs and data
// files lie beside it.
//
// Two layouts are recognised. In a build folder everything sits together in
// bin/. Installed under a prefix (/usr, /usr/local, or an unpacked package
// anywhere), the programs sit in <prefix>/bin, the helper programs in
// <prefix>/lib/quillmere and the data files in <prefix>/share/quillmere. The
// installed layout is taken when its folder exists; the lookups depend on
// nothing but the executable's own place, so a moved tree works as well.

#include <string>

namespace qm {

/// The folder of the running executable (from /proc/self/exe), ending in
/// "/"; "" when it cannot be found.
std::string ProgramFolder();

/// The folder of quillmere-job and quillmere-render-worker, ending in "/":
/// <prefix>/lib/quillmere/ when the program runs from an installed
/// <prefix>/bin, else ProgramFolder() (a build folder, or a helper itself).
std::string HelperFolder();

/// The folder of the data files (Samples/, the pointer files, the icon),
/// ending in "/": <prefix>/share/quillmere/ when installed, else
/// ProgramFolder().
std::string DataFolder();

}  // namespace qm
