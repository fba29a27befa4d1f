#include "btrfs.h"

#include <fcntl.h>
#include <linux/btrfs.h>
#include <linux/btrfs_tree.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "places.h"

namespace kelvor::os {
namespace {

constexpr const char* kCompressionProperty = "btrfs.compression";

bool IsSnapshot(const btrfs_ioctl_get_subvol_info_args& info) {
  // A subvolume made as a snapshot names the one it was taken of.
  return std::any_of(std::begin(info.parent_uuid), std::end(info.parent_uuid),
                     [](std::uint8_t byte) { return byte != 0; });
}

int OpenFolder(int at, const char* path) {
  return openat(at, path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Counts the snapshots among the subvolumes below `subvolume`, at any depth.
void WalkBelow(int subvolume, BtrfsSnapshots* result) {
  btrfs_ioctl_get_subvol_rootref_args children{};
  for (;;) {
    int listed = ioctl(subvolume, BTRFS_IOC_GET_SUBVOL_ROOTREF, &children);
    bool more = listed < 0 && errno == EOVERFLOW;  // a full page: the kernel set min_treeid on
    if (listed < 0 && !more) {
      result->complete = false;
      return;
    }
    for (int i = 0; i < children.num_items; ++i) {
      btrfs_ioctl_ino_lookup_user_args where{};
      where.dirid = children.rootref[i].dirid;
      where.treeid = children.rootref[i].treeid;
      btrfs_ioctl_get_subvol_info_args info{};
      bool located = ioctl(subvolume, BTRFS_IOC_INO_LOOKUP_USER, &where) >= 0;
      Descriptor child(
          located ? OpenFolder(subvolume, (std::string(where.path) + where.name).c_str()) : -1);
      // (Kernels answer a subvolume below the top with 1, not 0.)
      if (!child.valid() || ioctl(child.get(), BTRFS_IOC_GET_SUBVOL_INFO, &info) < 0) {
        result->complete = false;
        continue;
      }
      result->found += IsSnapshot(info);
      WalkBelow(child.get(), result);
    }
    if (!more) return;
  }
}

}  // namespace

BtrfsSnapshots FindBtrfsSnapshots(const std::string& mount_point) {
  BtrfsSnapshots result;
  Descriptor mounted(OpenFolder(AT_FDCWD, mount_point.c_str()));
  btrfs_ioctl_get_subvol_info_args info{};
  if (!mounted.valid() || ioctl(mounted.get(), BTRFS_IOC_GET_SUBVOL_INFO, &info) < 0) {
    return result;
  }
  result.found = IsSnapshot(info);
  result.complete = info.treeid == BTRFS_FS_TREE_OBJECTID;
  WalkBelow(mounted.get(), &result);
  return result;
}

std::string InheritedCompression(const std::string& folder) {
  std::array<char, 32> algorithm{};
  ssize_t length =
      getxattr(folder.c_str(), kCompressionProperty, algorithm.data(), algorithm.size() - 1);
  std::string property = length > 0 ? std::string(algorithm.data(), length) : "";
  if (property == "no" || property == "none") return "";
  if (!property.empty()) return std::string(kCompressionProperty) + "=" + property;
  Descriptor opened(OpenFolder(AT_FDCWD, folder.c_str()));
  int flags = 0;
  bool flagged = opened.valid() && ioctl(opened.get(), FS_IOC_GETFLAGS, &flags) == 0 &&
                 (flags & FS_COMPR_FL) != 0;
  return flagged ? "the compression flag" : "";
}

}  // namespace kelvor::os
