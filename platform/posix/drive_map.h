// Drive letters on POSIX: letters C to Z name mount points, so that a path
// such as "D:\~KelvorTemp\Kelvor1.dat" names a real file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mounts.h"  // MountPointOfDrive, LetterOfMountPoint

namespace kelvor::os {

struct DriveMapping {
  char letter;              // 'C' to 'Z'
  std::string mount_point;  // absolute, without a trailing slash (except "/")
};

struct MountEntry {
  std::string device;
  std::string mount_point;
  std::string fs_type;
  std::string options;  // "rw,relatime,compress-force=zstd:3"
};

inline constexpr char kFirstDriveLetter = 'C';
inline constexpr char kLastDriveLetter = 'Z';
inline constexpr const char* kDriveMapVariable = "KELVOR_DRIVES";

// "D=/mnt/usb;E=/srv/data", where ";;" stands for a ";" that is part of a
// path. An entry that is not a letter C to Z, "=" and an absolute path, or a
// second entry for a letter, makes the whole map no map: `problem` says why,
// and no drive is mapped (a path cut at a ";" could name another volume).
struct DriveVariable {
  std::vector<DriveMapping> drives;
  std::string problem;  // empty when the text is a map
};
DriveVariable ParseDriveVariable(std::string_view text);

// The lines of /proc/self/mounts, with their octal escapes undone.
std::vector<MountEntry> ParseMountTable(std::string_view table);

// Proc, sys, cgroup and the other kernel filesystems, and anything mounted in
// the system trees (/proc, /sys, /dev, /run), are not drives.
bool IsPseudoMount(const MountEntry& mount);

// "/" is C:, the other mounts follow in mount-point order, one letter each.
std::vector<DriveMapping> DrivesFromMounts(const std::vector<MountEntry>& mounts);

// Whether a folder (open, any kind of descriptor) is the root of a mounted
// filesystem: a drive is a volume, never a plain folder on another one.
bool IsMountRoot(int folder);

// KELVOR_DRIVES when set (its entries that are mount points), else the mount
// table (folders only). Read anew on every call; a run holds its drive
// (HoldDrive), so that volumes mounted or removed meanwhile cannot move it.
std::vector<DriveMapping> CurrentDriveMap();

// A program path in its POSIX form, for the file calls: backslashes become
// slashes, and a path that begins with a drive letter becomes "D:/" and its
// parts, with "." and ".." resolved inside the drive, so that it can never
// climb above it ("D:\..\x" is "D:/x"). Other paths only change separators.
std::string NativeDriveName(std::string_view path);

// The folder on this host that a program path names: a drive's path below
// that drive's mount point, other paths unchanged. An unmapped drive gives
// the empty path. For looking at files from outside the program.
std::string MapDrivePath(std::string_view path, const std::vector<DriveMapping>& drives);

}  // namespace kelvor::os
