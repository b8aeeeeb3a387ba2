#pragma once
// The status every GDI+-style call returns.

#include <cstdint>
#include <string>

#include "base/Status.h"

namespace qm {

/// Result of the GDI+-style calls, with GDI+'s names and numbers; Ok (0) is
/// success, anything else failure. Callers that show a status print its
/// number, so the numbers must never change.
enum class GpStatus : std::int32_t {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
  ProfileNotFound = 21,
};

/// The status's number, as printed in messages ("GDI+ Error:7").
inline std::int32_t StatusNumber(GpStatus status) { return static_cast<std::int32_t>(status); }

/// The status that a failed system call with this errno value stands for when
/// a file is written:
/// - EACCES, EPERM, EROFS: AccessDenied (the place exists but may not be written);
/// - ENOMEM: OutOfMemory;
/// - ENAMETOOLONG, EINVAL: InvalidParameter (the path itself is unusable);
/// - everything else, including ENOENT and ENOTDIR (a folder that does not
///   exist) and a full disk: Win32Error, as GDI+ reports a failed file
///   creation. FileNotFound is kept for files that are read, not written.
/// 0 gives GenericError (a failure that was not a system call).
GpStatus StatusFromErrno(int error);

/// The status of a codec's result: Ok when it succeeded, otherwise
/// StatusFromErrno of its system error (so GenericError when none). The
/// words of a failure stay with the image (GpImage::SaveFailure).
GpStatus GpStatusFrom(const Status& result);

}  // namespace qm
