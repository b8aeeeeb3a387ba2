#pragma once
// Where the running program lies.

#include <string>

namespace qm {

/// The folder of the running executable (from /proc/self/exe), ending in
/// "/"; "" when it cannot be found. Helper programs and the samples are
/// looked up there.
std::string ProgramFolder();

}  // namespace qm
