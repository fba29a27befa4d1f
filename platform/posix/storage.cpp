// Storage facts on Linux: statvfs, the mount table's filesystem and options,
// and what sysfs and procfs tell of the device, ext4's reserved clusters and
// its journal.
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <optional>

#include "btrfs.h"
#include "drive_map.h"
#include "drive_types.h"
#include "mounts.h"
#include "platform/os_storage.h"
#include "sysfs.h"

namespace kelvor::os {
namespace {

namespace fs = std::filesystem;

using Names = std::array<std::string_view, 10>;
// Filesystems that store each block as written, in place, with no snapshots.
constexpr Names kPlainFilesystems = {"ext2",  "ext3",  "ext4",  "xfs",   "vfat",
                                     "msdos", "exfat", "tmpfs", "ramfs", "ntfs3"};
// NTFS may compress a folder's files, whichever driver mounts it.
constexpr Names kUncompressedFilesystems = {"ext2",  "ext3",  "ext4",  "xfs",  "vfat",
                                            "msdos", "exfat", "tmpfs", "ramfs"};
constexpr Names kCopyOnWriteFilesystems = {"btrfs", "zfs", "bcachefs"};
constexpr Names kJournalledFilesystems = {"xfs", "ntfs3", "ntfs", "jfs", "reiserfs"};
constexpr Names kUnjournalledFilesystems = {"ext2",  "vfat",  "msdos", "exfat",
                                            "tmpfs", "ramfs", "btrfs"};
constexpr std::string_view kCompressOptions[] = {"compress-force=", "compress="};

bool IsIn(const Names& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end() && !name.empty();
}

Known Of(bool yes) {
  return yes ? Known::kYes : Known::kNo;
}

std::string DeviceName(const MountEntry& mount) {
  return fs::path(mount.device).filename().string();
}

// btrfs says in its mount options whether it compresses, and how; without
// them, new files may still inherit compression from the root folder.
void ReadCompression(const MountEntry& mount, const std::string& filesystem,
                     const std::string& folder, StorageFacts* facts) {
  if (filesystem != "btrfs") {
    facts->compresses = IsIn(kUncompressedFilesystems, filesystem) ? Known::kNo : Known::kUnknown;
    return;
  }
  facts->compresses = Known::kNo;
  std::string_view options = mount.options;
  while (!options.empty()) {
    std::string_view option = options.substr(0, options.find(','));
    options.remove_prefix(std::min(options.size(), option.size() + 1));
    for (std::string_view compress : kCompressOptions) {
      if (option.starts_with(compress) && option != std::string(compress) + "no") {
        facts->compresses = Known::kYes;
        facts->compression = option;
      }
    }
  }
  std::string inherited = InheritedCompression(folder);
  if (facts->compresses == Known::kNo && !inherited.empty()) {
    facts->compresses = Known::kYes;
    facts->compression = inherited + " on the root folder";
  }
}

// Snapshots of a volume that copies on write are listed where this user
// reaches them all; elsewhere they may be there.
void ReadSnapshots(const std::string& folder, const std::string& filesystem, StorageFacts* facts) {
  if (IsIn(kPlainFilesystems, filesystem)) {
    facts->snapshots = Known::kNo;
  } else if (filesystem == "btrfs") {
    BtrfsSnapshots snapshots = FindBtrfsSnapshots(folder);
    facts->snapshot_count = snapshots.found;
    facts->snapshots = snapshots.found > 0  ? Known::kYes
                       : snapshots.complete ? Known::kNo
                                            : Known::kUnknown;
  }
}

// ext3 and ext4 may be made without a journal; jbd2 lists those with one.
Known JournalOf(const MountEntry& mount, const std::string& filesystem) {
  if (filesystem == "ext3" || filesystem == "ext4") {
    std::error_code error;
    return Of(fs::exists("/proc/fs/jbd2/" + DeviceName(mount) + "-8", error));
  }
  if (IsIn(kJournalledFilesystems, filesystem)) return Known::kYes;
  if (IsIn(kUnjournalledFilesystems, filesystem)) return Known::kNo;
  return Known::kUnknown;
}

Known TrimsOf(const MountEntry& mount) {
  std::string disk = DiskFolderOf(mount.device);
  if (disk.empty()) return Known::kUnknown;
  std::string limit = ReadFirstLine(disk + "/queue/discard_max_bytes");
  if (limit.empty()) return Known::kUnknown;
  return Of(limit != "0");
}

}  // namespace

StorageFacts QueryStorageFacts(std::string_view drive_root) {
  StorageFacts facts;
  if (drive_root.empty()) return facts;
  std::optional<std::string> folder = MountPointOfDrive(drive_root[0]);
  if (!folder) return facts;
  struct statvfs volume;
  if (statvfs(folder->c_str(), &volume) == 0) {
    facts.free_bytes = std::uint64_t{volume.f_bfree} * volume.f_frsize;
    facts.free_to_this_user = std::uint64_t{volume.f_bavail} * volume.f_frsize;
    facts.cluster_bytes = static_cast<std::uint32_t>(volume.f_bsize);
  }
  facts.privileged = geteuid() == 0;
  std::optional<MountEntry> mount = MountHolding(*folder);
  if (!mount) return facts;
  std::string filesystem = FilesystemOfMount(*mount);
  // (pathconf's file size bits are glibc's guess by filesystem, 32 for
  // those it does not know, tmpfs among them.)
  if (filesystem == "vfat" || filesystem == "msdos") facts.largest_file = kFatLargestFile;
  if (filesystem == "ext4") {
    std::string pool = ReadFirstLine("/sys/fs/ext4/" + DeviceName(*mount) + "/reserved_clusters");
    std::uint64_t clusters = 0;
    std::from_chars(pool.data(), pool.data() + pool.size(), clusters);
    facts.kept_by_filesystem = std::min(clusters * facts.cluster_bytes, facts.free_bytes);
    // Root fills the root reserve too, not the pool.
    if (facts.privileged) facts.free_to_this_user = facts.free_bytes - facts.kept_by_filesystem;
  } else if (filesystem == "btrfs") {
    // What btrfs counts free beyond what files may take is room for its metadata.
    facts.kept_by_filesystem =
        facts.free_bytes - std::min(facts.free_to_this_user, facts.free_bytes);
  }
  ReadCompression(*mount, filesystem, *folder, &facts);
  bool plain = IsIn(kPlainFilesystems, filesystem);
  bool copies = IsIn(kCopyOnWriteFilesystems, filesystem);
  facts.copies_on_write = copies ? Known::kYes : plain ? Known::kNo : Known::kUnknown;
  ReadSnapshots(*folder, filesystem, &facts);
  facts.journal = JournalOf(*mount, filesystem);
  facts.trims = TrimsOf(*mount);
  return facts;
}

}  // namespace kelvor::os
