#include "errno_map.h"

#include <cerrno>

namespace kelvor::os {

WinError TranslateErrno(int error) {
  switch (error) {
    case 0:
      return kSuccess;
    case ENOENT:
      return kFileNotFound;  // a missing folder on the way is the caller's to tell
    case ENOTDIR:
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
      return kAccessDenied;
    case EROFS:
      return kWriteProtect;
    case ENOSPC:
      return kDiskFull;
    case EDQUOT:  // the volume has room that this user may not take: not a full disk
      return kDiskQuotaExceeded;
    case EEXIST:
      return kAlreadyExists;
    case ENOTEMPTY:
      return kDirNotEmpty;
    case EIO:
      return kCrc;
    case EMFILE:
    case ENFILE:
      return kTooManyOpenFiles;
    case EBADF:
      return kInvalidHandle;
    case ENOMEM:
      return kNotEnoughMemory;
    case EAGAIN:
    case ETXTBSY:
      return kSharingViolation;
    case EBUSY:
      return kBusy;
    case EXDEV:
      return kNotSameDevice;
    case ENAMETOOLONG:
      return kFilenameTooLong;
    case EFBIG:
      return kFileTooLarge;
    case EINVAL:
      return kInvalidParameter;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
      return kNotReady;
    case ETIMEDOUT:
      return kSemTimeout;
    case ELOOP:
      return kCantResolveFilename;
    case EOPNOTSUPP:
      return kNotSupported;
    default:
      return kGenFailure;
  }
}

}  // namespace kelvor::os
