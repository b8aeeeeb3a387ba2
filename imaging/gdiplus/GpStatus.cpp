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

GpStatus GpStatusFrom(const Status& result) {
  return result.Ok() ? GpStatus::Ok : StatusFromErrno(result.SystemError());
}

}  // namespace qm
