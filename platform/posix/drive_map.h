// Drive letters on POSIX: letters C to Z name mount points, so that a path
// such as "D:\~KelvorTemp\Kelvor1.dat" names a real file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvor::os {

struct DriveMapping {
  char letter;              // 'C' to 'Z'
  std::string mount_point;  // absolute, without a trailing slash (except "/")
};

struct MountEntry {
  std::string device;
  std::string mount_point;
  std::string fs_type;
};

inline constexpr char kFirstDriveLetter = 'C';
inline constexpr char kLastDriveLetter = 'Z';
inline constexpr const char* kDriveMapVariable = "KELVOR_DRIVES";

// "D=/mnt/usb;E=/srv/data": entries that are not a letter C to Z, "=" and an
// absolute path are ignored, and so is a second entry for the same letter.
std::vector<DriveMapping> ParseDriveVariable(std::string_view text);

// The lines of /proc/self/mounts, with their octal escapes undone.
std::vector<MountEntry> ParseMountTable(std::string_view table);

// Proc, sys, cgroup and the other kernel filesystems, and anything mounted in
// the system trees (/proc, /sys, /dev, /run), are not drives.
bool IsPseudoMount(const MountEntry& mount);

// "/" is C:, the other mounts follow in mount-point order, one letter each.
std::vector<DriveMapping> DrivesFromMounts(const std::vector<MountEntry>& mounts);

// KELVOR_DRIVES when set, else the mount table (folders only). Read anew on
// every call, so volumes mounted or removed meanwhile are seen.
std::vector<DriveMapping> CurrentDriveMap();

std::optional<std::string> MountPointOfDrive(char letter);

// Turns a program path into a POSIX path. Backslashes become slashes; a path
// that begins with a drive letter is resolved below that drive's mount point
// and can never climb above it, nor pass through a folder that is a symbolic
// link below it (nor may a path relative to the current folder). An unmapped
// drive, or a path through a link, gives the empty path, which names no file.
std::string MapDrivePath(std::string_view path, const std::vector<DriveMapping>& drives);

}  // namespace kelvor::os
