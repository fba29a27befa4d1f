#include "drive_types.h"

#include <gtest/gtest.h>

#include "platform/os_drives.h"

namespace kelvor::os {
namespace {

unsigned TypeOf(const char* fs_type, const char* mount_point = "/mnt/volume",
                BlockDevice device = BlockDevice::kNone) {
  return DriveTypeOfMount({"/dev/sdx1", mount_point, fs_type}, device);
}

TEST(DriveTypeOfMount, FromTheFilesystemAndItsDevice) {
  EXPECT_EQ(TypeOf("tmpfs"), kDriveRamDisk);
  EXPECT_EQ(TypeOf("ramfs"), kDriveRamDisk);
  EXPECT_EQ(TypeOf("nfs4"), kDriveRemote);
  EXPECT_EQ(TypeOf("cifs"), kDriveRemote);
  EXPECT_EQ(TypeOf("fuse.sshfs"), kDriveRemote);
  EXPECT_EQ(TypeOf("iso9660", "/media/cdrom", BlockDevice::kRemovable), kDriveCdRom);
  EXPECT_EQ(TypeOf("udf"), kDriveCdRom);
  EXPECT_EQ(TypeOf("vfat", "/media/stick", BlockDevice::kRemovable), kDriveRemovable);
  EXPECT_EQ(TypeOf("ext4", "/srv", BlockDevice::kFixed), kDriveFixed);
  EXPECT_EQ(TypeOf("overlay", "/"), kDriveFixed);
}

TEST(DriveTypeOfMount, KernelFilesystemsAndSystemTreesAreNoDrives) {
  EXPECT_EQ(TypeOf("proc", "/proc"), kDriveNoRootDir);
  EXPECT_EQ(TypeOf("sysfs", "/sys"), kDriveNoRootDir);
  EXPECT_EQ(TypeOf("tmpfs", "/dev/shm"), kDriveNoRootDir);
  EXPECT_EQ(TypeOf("tmpfs", "/run/user/1000"), kDriveNoRootDir);
  EXPECT_EQ(TypeOf("vfat", "/run/media/ann/STICK", BlockDevice::kRemovable), kDriveRemovable);
}

}  // namespace
}  // namespace kelvor::os
