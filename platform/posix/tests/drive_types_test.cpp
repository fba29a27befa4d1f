#include "drive_types.h"

#include <gtest/gtest.h>

#include "platform/os_drives.h"

namespace kelvor::os {
namespace {

// The type comes from the filesystem and its device; kernel filesystems and
// the system's own trees are no drives.
TEST(DriveTypeOfMount, FromTheFilesystemAndItsDevice) {
  struct Case {
    const char* fs_type;
    const char* mount_point;
    BlockDevice device;
    unsigned type;
  };
  const Case cases[] = {{"tmpfs", "/mnt/v", BlockDevice::kNone, kDriveRamDisk},
                        {"ramfs", "/mnt/v", BlockDevice::kNone, kDriveRamDisk},
                        {"nfs4", "/mnt/v", BlockDevice::kNone, kDriveRemote},
                        {"fuse.sshfs", "/mnt/v", BlockDevice::kNone, kDriveRemote},
                        {"iso9660", "/media/cdrom", BlockDevice::kRemovable, kDriveCdRom},
                        {"udf", "/mnt/v", BlockDevice::kNone, kDriveCdRom},
                        {"vfat", "/run/media/ann/STICK", BlockDevice::kRemovable, kDriveRemovable},
                        {"ext4", "/srv", BlockDevice::kFixed, kDriveFixed},
                        {"overlay", "/", BlockDevice::kNone, kDriveFixed},
                        {"proc", "/proc", BlockDevice::kNone, kDriveNoRootDir},
                        {"tmpfs", "/dev/shm", BlockDevice::kNone, kDriveNoRootDir},
                        {"tmpfs", "/run/user/1000", BlockDevice::kNone, kDriveNoRootDir}};
  for (const Case& c : cases) {
    EXPECT_EQ(DriveTypeOfMount({"/dev/sdx1", c.mount_point, c.fs_type, "rw"}, c.device), c.type)
        << c.fs_type << " on " << c.mount_point;
  }
}

}  // namespace
}  // namespace kelvor::os
