#include <sys/statvfs.h>

#include <cerrno>

#include "drive_map.h"
#include "errno_map.h"
#include "platform/os_drives.h"

namespace kelvor::os {

WinError QueryFreeBytes(std::string_view drive_root, std::uint64_t* total_free) {
  std::string path = MapDrivePath(drive_root, CurrentDriveMap());
  struct statvfs volume;
  if (statvfs(path.c_str(), &volume) != 0) return TranslateErrno(errno, path);
  *total_free = static_cast<std::uint64_t>(volume.f_bfree) * volume.f_frsize;
  return kSuccess;
}

}  // namespace kelvor::os
