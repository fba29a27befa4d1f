#include <sys/statvfs.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "errno_map.h"
#include "places.h"
#include "platform/os_drives.h"

namespace kelvor::os {
namespace {

constexpr int kSysResourceCapability = 24;  // CAP_SYS_RESOURCE

// Whether this process may use the blocks a filesystem keeps for root: only
// with the capability that lifts resource limits (which root normally has).
bool MayUseReservedBlocks() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (!line.starts_with("CapEff:")) continue;
    unsigned long long capabilities =
        std::stoull(line.substr(line.find_first_not_of(" \t", 7)), nullptr, 16);
    return (capabilities >> kSysResourceCapability) & 1;
  }
  return false;
}

}  // namespace

WinError QueryFreeBytes(DriveHold& drive, std::string_view drive_root, std::uint64_t* total_free) {
  Place place;
  if (WinError error = Locate(drive, ToNativeName(drive_root), Intent::kLook, &place)) return error;
  struct statvfs volume;
  if (fstatvfs(place.folder, &volume) != 0) return TranslateErrno(errno);
  std::uint64_t blocks = MayUseReservedBlocks() ? volume.f_bfree : volume.f_bavail;
  *total_free = blocks * volume.f_frsize;
  return kSuccess;
}

}  // namespace kelvor::os
