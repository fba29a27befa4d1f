#include "drive_types.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <array>
#include <fstream>
#include <sstream>

#include "platform/os_drives.h"
#include "sysfs.h"

namespace kelvor::os {
namespace {

constexpr std::array<std::string_view, 2> kRamFilesystems = {"tmpfs", "ramfs"};
constexpr std::array<std::string_view, 12> kNetworkFilesystems = {
    "nfs", "nfs4", "cifs", "smb3",       "smbfs",       "ncpfs",
    "afs", "ceph", "9p",   "fuse.sshfs", "fuse.rclone", "fuse.glusterfs"};
constexpr std::array<std::string_view, 2> kDiscFilesystems = {"iso9660", "udf"};

template <std::size_t N>
bool IsOneOf(std::string_view name, const std::array<std::string_view, N>& names) {
  for (std::string_view candidate : names) {
    if (name == candidate) return true;
  }
  return false;
}

BlockDevice DescribeBlockDevice(const std::string& device) {
  std::string folder = DiskFolderOf(device);
  if (folder.empty()) return BlockDevice::kNone;
  return ReadFirstLine(folder + "/removable") == "1" ? BlockDevice::kRemovable
                                                     : BlockDevice::kFixed;
}

}  // namespace

std::optional<MountEntry> MountHolding(const std::string& folder) {
  char resolved[PATH_MAX];
  if (!realpath(folder.c_str(), resolved)) return std::nullopt;
  std::string path = resolved;
  std::ifstream file("/proc/self/mounts");
  std::stringstream text;
  text << file.rdbuf();
  std::optional<MountEntry> best;
  for (const MountEntry& mount : ParseMountTable(text.str())) {
    const std::string& point = mount.mount_point;
    bool holds = point == "/" || path == point || path.starts_with(point + "/");
    if (holds && (!best || point.size() >= best->mount_point.size())) best = mount;
  }
  return best;
}

unsigned DriveTypeOfMount(const MountEntry& mount, BlockDevice device) {
  if (IsPseudoMount(mount) && mount.mount_point != "/") return kDriveNoRootDir;
  if (IsOneOf(mount.fs_type, kRamFilesystems)) return kDriveRamDisk;
  if (IsOneOf(mount.fs_type, kNetworkFilesystems)) return kDriveRemote;
  if (IsOneOf(mount.fs_type, kDiscFilesystems)) return kDriveCdRom;
  return device == BlockDevice::kRemovable ? kDriveRemovable : kDriveFixed;
}

unsigned QueryDriveType(std::string_view root_path) {
  std::string folder = MapDrivePath(root_path, CurrentDriveMap());
  struct stat info;
  if (folder.empty() || stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return kDriveNoRootDir;
  }
  std::optional<MountEntry> mount = MountHolding(folder);
  if (!mount) return kDriveUnknown;
  return DriveTypeOfMount(*mount, DescribeBlockDevice(mount->device));
}

}  // namespace kelvor::os
