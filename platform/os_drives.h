// Drive queries of the OS seam. Drives are named by their root, "C:".
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win_errors.h"

namespace kelvor::os {

// Drive-type codes, as GetDriveTypeA gives them.
inline constexpr unsigned kDriveUnknown = 0;
inline constexpr unsigned kDriveNoRootDir = 1;
inline constexpr unsigned kDriveRemovable = 2;
inline constexpr unsigned kDriveFixed = 3;
inline constexpr unsigned kDriveRemote = 4;
inline constexpr unsigned kDriveCdRom = 5;
inline constexpr unsigned kDriveRamDisk = 6;

// The type of the drive at a root path such as "C:\".
unsigned QueryDriveType(std::string_view root_path);

// All free bytes of the volume (Windows' "total number of free bytes"). On
// failure *total_free is left as it was.
WinError QueryFreeBytes(std::string_view drive_root, std::uint64_t* total_free);

}  // namespace kelvor::os
