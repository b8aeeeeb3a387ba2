#pragma once
// Telling a password-protected presentation from a damaged one before
// LibreOffice spends seconds trying to open it.

#include <string>

namespace qm {

/// True when `path` is a presentation encrypted with a password, read from
/// its container alone, in a few milliseconds:
///  - an encrypted .pptx/.pptm is an OLE compound file holding the streams
///    "EncryptionInfo" and "EncryptedPackage" instead of a zip;
///  - an encrypted binary .ppt carries the encrypted header token 0xF3D1C4DF
///    in the CurrentUserAtom of its "Current User" stream, or an
///    "EncryptedSummary" stream.
/// False for anything else, including files that cannot be read or parsed
/// (opening them reports what is wrong). Never throws.
bool IsPasswordProtected(const std::string& path);

}  // namespace qm
