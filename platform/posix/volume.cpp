// Volume facts on Linux: the mount table, statvfs, and the names udev gives
// block devices under /dev/disk.
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>

#include "direct_write.h"
#include "drive_types.h"
#include "errno_map.h"
#include "mounts.h"
#include "places.h"
#include "platform/os_volume.h"

namespace kelvor::os {
namespace {

namespace fs = std::filesystem;

// The name under /dev/disk/<kind> (by-uuid, by-label) that leads to `device`.
std::string DiskName(const std::string& kind, const std::string& device) {
  std::error_code error;
  fs::path real = fs::canonical(device, error);
  if (error) return {};
  for (const auto& entry : fs::directory_iterator("/dev/disk/" + kind, error)) {
    if (fs::canonical(entry.path(), error) == real) return entry.path().filename().string();
  }
  return {};
}

}  // namespace

VolumeFacts QueryVolumeFacts(std::string_view drive_root) {
  VolumeFacts facts;
  if (drive_root.empty()) return facts;
  std::optional<std::string> folder = MountPointOfDrive(drive_root[0]);
  if (!folder) return facts;
  facts.mount_point = *folder;
  if (std::optional<MountEntry> mount = MountHolding(*folder)) {
    facts.filesystem = FilesystemOfMount(*mount);
    facts.serial = DiskName("by-uuid", mount->device);
    facts.label = DiskName("by-label", mount->device);
  }
  struct statvfs volume;
  if (statvfs(folder->c_str(), &volume) == 0) {
    facts.size_bytes = std::uint64_t{volume.f_blocks} * volume.f_frsize;
  }
  return facts;
}

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

WinError WriteWholeFile(const NativeName& path, std::string_view bytes) {
  NativeName temporary = path + ".tmp";
  Descriptor file(
      open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (!file.valid()) return TranslateErrno(errno);
  std::size_t done = 0;
  WriteSource source{reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), false};
  if (!WriteOrdinary(file.get(), source, bytes.size(), &done) || fsync(file.get()) != 0 ||
      rename(temporary.c_str(), path.c_str()) != 0) {
    int error = errno;
    unlink(temporary.c_str());
    return TranslateErrno(error);
  }
  // The new name itself reaches the disk with its folder.
  std::string folder = fs::path(path).parent_path().string();
  Descriptor parent(
      open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (parent.valid()) fsync(parent.get());
  return kSuccess;
}

}  // namespace kelvor::os
