#pragma once
// The tests' private settings store (XDG_CONFIG_HOME points into the build
// folder): emptied, filled or damaged before a window starts.

#include <string>

namespace qm::test {

/// Removes the store file (or whatever stands at its path).
void ClearStore();

/// Writes `bytes` as the whole store file.
void WriteStoreFile(const std::string& bytes);

/// The store file's whole text ("" when there is none).
std::string ReadStoreFile();

}  // namespace qm::test
