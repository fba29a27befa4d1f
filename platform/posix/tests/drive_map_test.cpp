#include "drive_map.h"

#include <gtest/gtest.h>

namespace kelvor::os {
namespace {

// A drive map as the variable writes it: "C=/;D=/mnt/usb".
std::string Text(const std::vector<DriveMapping>& drives) {
  std::string text;
  for (const DriveMapping& drive : drives) {
    text += (text.empty() ? "" : ";") + std::string{drive.letter, '='} + drive.mount_point;
  }
  return text;
}

// A path cut at a ";" could name another volume: ";;" is a ";" of a path,
// and any entry that is not one letter's mapping leaves no drive mapped.
TEST(ParseDriveVariable, LettersWithAbsolutePathsOrNoMapAtAll) {
  EXPECT_EQ(Text(ParseDriveVariable("D=/mnt/usb;e=/srv/data/;Z=/;").drives),
            "D=/mnt/usb;E=/srv/data;Z=/");
  EXPECT_EQ(Text(ParseDriveVariable("D=/mnt/a;;b;;;E=/x").drives), "D=/mnt/a;b;;E=/x");
  EXPECT_EQ(ParseDriveVariable("").problem, "");
  for (const char* text :
       {"D=/mnt/a;b", "A=/floppy", "D=relative", "F=", "1=/x", "DD=/y", "G=/first;G=/second"}) {
    DriveVariable map = ParseDriveVariable(std::string("H=/ok;") + text);
    EXPECT_TRUE(map.drives.empty()) << text;
    EXPECT_NE(map.problem, "") << text;
  }
}

// The kernel's octal escapes in the mount table are undone.
TEST(DrivesFromMounts, RootIsCAndRealFilesystemsFollowInMountPointOrderUpToZ) {
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
      "/dev/sdd1 /media/My\\040Stick ext4 rw 0 0\n"
      "/dev/sdd1 /media/My\\040Stick ext4 rw 0 0\n"
      "broken-line\n");
  EXPECT_EQ(Text(DrivesFromMounts(mounts)),
            "C=/;D=/media/My Stick;E=/run/media/ann/STICK;F=/srv/data");

  std::string table = "/dev/vda / ext4 rw 0 0\n";
  for (int i = 0; i < 30; ++i)
    table += "tmpfs /mnt/v" + std::to_string(100 + i) + " tmpfs rw 0 0\n";
  std::vector<DriveMapping> drives = DrivesFromMounts(ParseMountTable(table));
  ASSERT_EQ(drives.size(), 24u);
  EXPECT_EQ(drives.back().letter, 'Z');
  EXPECT_EQ(drives.back().mount_point, "/mnt/v122");
}

// A path never climbs above its drive; an unmapped drive gives no path, and
// a name without a drive only changes its separators.
TEST(MapDrivePath, ResolvesDriveLettersBelowTheirMountPoint) {
  const std::vector<DriveMapping> drives = {{'C', "/"}, {'D', "/mnt/usb"}};
  const std::pair<const char*, const char*> cases[] = {
      {"D:\\~KelvorTemp\\Kelvor1.dat", "/mnt/usb/~KelvorTemp/Kelvor1.dat"},
      {"d:\\~KelvorTemp\\", "/mnt/usb/~KelvorTemp/"},
      {"D:", "/mnt/usb/"},
      {"D:Kelvor0.dat", "/mnt/usb/Kelvor0.dat"},
      {"C:\\x\\y", "/x/y"},
      {"C:", "/"},
      {"D:\\..\\..\\etc\\passwd", "/mnt/usb/etc/passwd"},
      {"D:\\a\\.\\..\\b", "/mnt/usb/b"},
      {"Q:\\x", ""},
      {"sub\\file.txt", "sub/file.txt"},
      {"/tmp/x", "/tmp/x"}};
  for (auto [path, mapped] : cases) EXPECT_EQ(MapDrivePath(path, drives), mapped) << path;
}

// The file calls take a drive's name as it is, and reach it from the drive.
TEST(NativeDriveName, KeepsTheDriveAndResolvesDotsInsideIt) {
  const std::pair<const char*, const char*> cases[] = {
      {"d:\\~KelvorTemp\\Kelvor1.dat", "D:/~KelvorTemp/Kelvor1.dat"},
      {"D:", "D:/"},
      {"D:\\..\\..\\etc\\passwd", "D:/etc/passwd"},
      {"Q:\\x", "Q:/x"},  // unmapped: it names nothing when used
      {"sub\\Kelvor.tmp", "sub/Kelvor.tmp"}};
  for (auto [path, native] : cases) EXPECT_EQ(NativeDriveName(path), native) << path;
}

}  // namespace
}  // namespace kelvor::os
