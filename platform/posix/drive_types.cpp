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

// Where the boot sectors of NTFS, exFAT, FAT32 and FAT12/16 name their kind.
struct BootSignature {
  std::size_t offset;
  std::string_view text;
  const char* filesystem;
};
constexpr BootSignature kBootSignatures[] = {{3, "NTFS    ", "ntfs"},
                                             {3, "EXFAT   ", "exfat"},
                                             {82, "FAT32   ", "vfat"},
                                             {54, "FAT1", "vfat"}};
constexpr std::size_t kBootSectorBytes = 512;

BlockDevice DescribeBlockDevice(const std::string& device) {
  std::string folder = DiskFolderOf(device);
  if (folder.empty()) return BlockDevice::kNone;
  return ReadFirstLine(folder + "/removable") == "1" ? BlockDevice::kRemovable
                                                     : BlockDevice::kFixed;
}

}  // namespace

std::string FilesystemOfMount(const MountEntry& mount) {
  if (mount.fs_type != "fuseblk") return mount.fs_type;
  std::ifstream device(mount.device, std::ios::binary);
  std::string sector(kBootSectorBytes, '\0');
  if (!device.read(sector.data(), kBootSectorBytes)) return mount.fs_type;
  for (const BootSignature& signature : kBootSignatures) {
    if (sector.compare(signature.offset, signature.text.size(), signature.text) == 0) {
      return signature.filesystem;
    }
  }
  return mount.fs_type;
}

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
