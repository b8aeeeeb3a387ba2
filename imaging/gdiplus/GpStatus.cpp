#include "imaging/gdiplus/GpStatus.h"

#include <cerrno>

namespace qm {

GpStatus StatusFromErrno(int error) {
  switch (error) {
    case 0:
      return GpStatus::GenericError;
    case EACCES:
    case EPERM:
    case EROFS:
      return GpStatus::AccessDenied;
    case ENOMEM:
      return GpStatus::OutOfMemory;
    case ENAMETOOLONG:
    case EINVAL:
      return GpStatus::InvalidParameter;
    default:
      return GpStatus::Win32Error;
  }
}

namespace {
thread_local std::string gLastFailure;
}  // namespace

GpStatus GpStatusFrom(const Status& result) {
  gLastFailure = result.Ok() ? std::string() : result.Message();
  return result.Ok() ? GpStatus::Ok : StatusFromErrno(result.SystemError());
}

const std::string& GdipLastFailure() { return gLastFailure; }

}  // namespace qm
