#pragma once
// Packages made and read back by tests of the code that rewrites a deck's
// parts.

#include <map>
#include <string>

namespace qm::test {

/// A zip of `entries` (name -> bytes), deflated, at `path`; a failure fails
/// the test.
void WriteZip(const std::string& path, const std::map<std::string, std::string>& entries);

/// The bytes of entry `name` of the zip at `path`; "<no zip>", "<no entry>"
/// or "<unreadable>" when it cannot be read.
std::string ReadEntry(const std::string& path, const std::string& name);

}  // namespace qm::test
