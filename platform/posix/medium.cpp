// The medium under a volume on Linux: the block device that the mount table
// names, followed through partitions, loop devices (to the volume that holds
// the image) and single-member stacks (dm, md) down to a disk, whose sysfs
// attributes give its model, its serial and whether it rotates.
#include <sys/stat.h>

#include <filesystem>

#include "drive_types.h"
#include "mounts.h"
#include "platform/os_volume.h"
#include "sysfs.h"

namespace kelvor::os {
namespace {

namespace fs = std::filesystem;

constexpr int kMostLayers = 8;  // a loop on a loop on ...: where to stop looking

// Trailing blanks are padding in SCSI model and serial attributes.
std::string Attribute(const std::string& folder, const char* name) {
  std::string value = ReadFirstLine(folder + "/" + name);
  std::size_t end = value.find_last_not_of(" \t");
  value.erase(end == std::string::npos ? 0 : end + 1);
  std::size_t start = value.find_first_not_of(" \t");
  return start == std::string::npos ? std::string() : value.substr(start);
}

MediumFacts MediumOfPath(const std::string& path, int layers);

// The one member a stack (dm, md) is built on; empty for none or several.
std::string OnlyMember(const std::string& disk) {
  std::error_code error;
  std::string member;
  for (const auto& entry : fs::directory_iterator(disk + "/slaves", error)) {
    if (!member.empty()) return {};
    member = "/dev/" + entry.path().filename().string();
  }
  return member;
}

MediumFacts MediumOfDisk(const std::string& disk, int layers) {
  if (disk.empty() || layers > kMostLayers) return {};
  std::string image = Attribute(disk, "loop/backing_file");
  if (!image.empty()) return MediumOfPath(image, layers + 1);
  if (std::string member = OnlyMember(disk); !member.empty()) {
    return MediumOfDisk(DiskFolderOf(member), layers + 1);
  }
  MediumFacts facts;
  facts.device = "/dev/" + fs::path(disk).filename().string();
  facts.model = Attribute(disk, "device/model");
  facts.serial = Attribute(disk, "serial");  // virtio; NVMe and others keep it on the device
  if (facts.serial.empty()) facts.serial = Attribute(disk, "device/serial");
  std::string rotational = Attribute(disk, "queue/rotational");
  std::string discard = Attribute(disk, "queue/discard_max_bytes");
  bool discards = !discard.empty() && discard != "0";
  if (rotational == "0") facts.kind = MediumKind::kSolidState;
  if (rotational == "1" && !discards) facts.kind = MediumKind::kRotational;
  return facts;
}

// The medium of whatever holds `path`: the device its mount names (btrfs
// gives files a device number of its own, so the number of the file itself
// is no guide).
MediumFacts MediumOfPath(const std::string& path, int layers) {
  std::optional<MountEntry> mount = MountHolding(path);
  if (!mount) return {};
  return MediumOfDisk(DiskFolderOf(mount->device), layers);
}

}  // namespace

MediumFacts QueryMediumFacts(std::string_view drive_root) {
  if (drive_root.empty()) return {};
  std::optional<std::string> folder = MountPointOfDrive(drive_root[0]);
  return folder ? MediumOfPath(*folder, 0) : MediumFacts{};
}

}  // namespace kelvor::os
