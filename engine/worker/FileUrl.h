#pragma once
// File URLs for LibreOffice, which addresses files by URL, never by path.

#include <string>

namespace qm {

/// "file://" + `absolutePath` with every byte other than an unreserved
/// character or "/" percent-encoded, so spaces, "#", "%", "?" and UTF-8 names
/// survive. `absolutePath` must start with "/".
std::string FileUrlFromPath(const std::string& absolutePath);

}  // namespace qm
