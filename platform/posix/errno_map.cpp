#include "errno_map.h"

#include <sys/stat.h>

#include <cerrno>

namespace kelvor::os {
namespace {

bool ParentFolderExists(const std::string& path) {
  if (path.empty()) return false;
  std::size_t slash = path.find_last_of('/');
  std::string parent = slash == std::string::npos ? std::string(".")
                       : slash == 0               ? std::string("/")
                                                  : path.substr(0, slash);
  struct stat info;
  return stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

WinError TranslateErrno(int error, const std::string& path) {
  switch (error) {
    case 0:
      return kSuccess;
    case ENOENT:
      return ParentFolderExists(path) ? kFileNotFound : kPathNotFound;
    case ENOTDIR:
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
      return kAccessDenied;
    case EROFS:
      return kWriteProtect;
    case ENOSPC:
    case EDQUOT:
      return kDiskFull;
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
