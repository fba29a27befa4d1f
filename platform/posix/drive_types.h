// Drive types on POSIX, from the filesystem mounted at a drive's folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "drive_map.h"

namespace kelvor::os {

// What a block device is, as sysfs tells.
enum class BlockDevice { kNone, kFixed, kRemovable };

// tmpfs and ramfs are RAM disks, network filesystems network drives,
// iso9660 and udf CD drives; other filesystems count as fixed, or removable
// when their block device is. Kernel filesystems are no drives at all.
unsigned DriveTypeOfMount(const MountEntry& mount, BlockDevice device);

// The filesystem's name: the mount table's, except for a FUSE filesystem on
// a block device ("fuseblk"), whose boot sector names it ("ntfs", "exfat",
// "vfat") where this process may read the device.
std::string FilesystemOfMount(const MountEntry& mount);

// The mount that holds a folder: the one with the longest mount point that
// is a prefix of the folder's real path.
std::optional<MountEntry> MountHolding(const std::string& folder);

}  // namespace kelvor::os
