#include "drive_map.h"

#include <gtest/gtest.h>

namespace kelvor::os {
namespace {

TEST(ParseDriveVariable, ReadsLettersAndAbsolutePaths) {
  std::vector<DriveMapping> drives = ParseDriveVariable("D=/mnt/usb;e=/srv/data/;Z=/");
  ASSERT_EQ(drives.size(), 3u);
  EXPECT_EQ(drives[0].letter, 'D');
  EXPECT_EQ(drives[0].mount_point, "/mnt/usb");
  EXPECT_EQ(drives[1].letter, 'E');
  EXPECT_EQ(drives[1].mount_point, "/srv/data");
  EXPECT_EQ(drives[2].mount_point, "/");
}

TEST(ParseDriveVariable, IgnoresMalformedEntriesAndRepeatedLetters) {
  std::vector<DriveMapping> drives =
      ParseDriveVariable("A=/floppy;B=/b;D=relative;;E;F=;1=/x;DD=/y;G=/first;G=/second;H=/ok");
  ASSERT_EQ(drives.size(), 2u);
  EXPECT_EQ(drives[0].letter, 'G');
  EXPECT_EQ(drives[0].mount_point, "/first");
  EXPECT_EQ(drives[1].letter, 'H');
  EXPECT_TRUE(ParseDriveVariable("").empty());
}

TEST(ParseMountTable, UndoesTheKernelsOctalEscapes) {
  std::vector<MountEntry> mounts = ParseMountTable(
      "/dev/sdb1 /media/My\\040Stick vfat rw 0 0\n"
      "server:/x /mnt/back\\134slash nfs4 rw 0 0\n"
      "broken-line\n");
  ASSERT_EQ(mounts.size(), 2u);
  EXPECT_EQ(mounts[0].mount_point, "/media/My Stick");
  EXPECT_EQ(mounts[0].fs_type, "vfat");
  EXPECT_EQ(mounts[1].mount_point, "/mnt/back\\slash");
}

TEST(DrivesFromMounts, RootIsCAndRealFilesystemsFollowInMountPointOrder) {
  std::vector<MountEntry> mounts = ParseMountTable(
      "proc /proc proc rw 0 0\n"
      "sysfs /sys sysfs rw 0 0\n"
      "/dev/sdc1 /srv/data ext4 rw 0 0\n"
      "/dev/vda / ext4 rw 0 0\n"
      "tmpfs /dev/shm tmpfs rw 0 0\n"
      "cgroup2 /sys/fs/cgroup/unified cgroup2 rw 0 0\n"
      "tmpfs /run tmpfs rw 0 0\n"
      "tmpfs /run/user/1000 tmpfs rw 0 0\n"
      "/dev/sdb1 /run/media/ann/STICK vfat rw 0 0\n"
      "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
      "/dev/sdd1 /media/usb ext4 rw 0 0\n"
      "/dev/sdd1 /media/usb ext4 rw 0 0\n");
  std::vector<DriveMapping> drives = DrivesFromMounts(mounts);
  ASSERT_EQ(drives.size(), 4u);
  EXPECT_EQ(drives[0].letter, 'C');
  EXPECT_EQ(drives[0].mount_point, "/");
  EXPECT_EQ(drives[1].letter, 'D');
  EXPECT_EQ(drives[1].mount_point, "/media/usb");
  EXPECT_EQ(drives[2].letter, 'E');
  EXPECT_EQ(drives[2].mount_point, "/run/media/ann/STICK");
  EXPECT_EQ(drives[3].letter, 'F');
  EXPECT_EQ(drives[3].mount_point, "/srv/data");
}

TEST(DrivesFromMounts, StopsAtZ) {
  std::string table = "/dev/vda / ext4 rw 0 0\n";
  for (int i = 0; i < 30; ++i)
    table += "tmpfs /mnt/v" + std::to_string(100 + i) + " tmpfs rw 0 0\n";
  std::vector<DriveMapping> drives = DrivesFromMounts(ParseMountTable(table));
  ASSERT_EQ(drives.size(), 24u);
  EXPECT_EQ(drives.back().letter, 'Z');
  EXPECT_EQ(drives.back().mount_point, "/mnt/v122");
}

const std::vector<DriveMapping> kDrives = {{'C', "/"}, {'D', "/mnt/usb"}};

TEST(MapDrivePath, ResolvesDriveLettersBelowTheirMountPoint) {
  EXPECT_EQ(MapDrivePath("D:\\~KelvorTemp\\Kelvor1.dat", kDrives),
            "/mnt/usb/~KelvorTemp/Kelvor1.dat");
  EXPECT_EQ(MapDrivePath("d:\\~KelvorTemp\\", kDrives), "/mnt/usb/~KelvorTemp/");
  EXPECT_EQ(MapDrivePath("D:\\", kDrives), "/mnt/usb/");
  EXPECT_EQ(MapDrivePath("D:", kDrives), "/mnt/usb/");
  EXPECT_EQ(MapDrivePath("D:Kelvor0.dat", kDrives), "/mnt/usb/Kelvor0.dat");
  EXPECT_EQ(MapDrivePath("C:\\x\\y", kDrives), "/x/y");
  EXPECT_EQ(MapDrivePath("C:", kDrives), "/");
}

TEST(MapDrivePath, NeverClimbsAboveTheDrive) {
  EXPECT_EQ(MapDrivePath("D:\\..\\..\\etc\\passwd", kDrives), "/mnt/usb/etc/passwd");
  EXPECT_EQ(MapDrivePath("D:\\a\\.\\..\\b", kDrives), "/mnt/usb/b");
}

TEST(MapDrivePath, UnmappedDrivesGiveNoPathAndOtherNamesOnlyChangeSeparators) {
  EXPECT_EQ(MapDrivePath("Q:\\x", kDrives), "");
  EXPECT_EQ(MapDrivePath("Kelvor.tmp", kDrives), "Kelvor.tmp");
  EXPECT_EQ(MapDrivePath("sub\\file.txt", kDrives), "sub/file.txt");
  EXPECT_EQ(MapDrivePath("/tmp/x", kDrives), "/tmp/x");
}

// The file calls take a drive's name as it is, and reach it from the drive.
TEST(NativeDriveName, KeepsTheDriveAndResolvesDotsInsideIt) {
  EXPECT_EQ(NativeDriveName("d:\\~KelvorTemp\\Kelvor1.dat"), "D:/~KelvorTemp/Kelvor1.dat");
  EXPECT_EQ(NativeDriveName("D:\\~KelvorTemp\\"), "D:/~KelvorTemp/");
  EXPECT_EQ(NativeDriveName("D:"), "D:/");
  EXPECT_EQ(NativeDriveName("D:\\..\\..\\etc\\passwd"), "D:/etc/passwd");
  EXPECT_EQ(NativeDriveName("Q:\\x"), "Q:/x");  // unmapped: it names nothing when used
  EXPECT_EQ(NativeDriveName("sub\\Kelvor.tmp"), "sub/Kelvor.tmp");
}

}  // namespace
}  // namespace kelvor::os
