// The journal's checkpoint on Linux: ext4's EXT4_IOC_CHECKPOINT (Linux 5.13),
// which writes every journalled block home without freezing the filesystem.
// It needs root's rights; other filesystems do not know the request.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "places.h"
#include "platform/os_drives.h"

namespace kelvor::os {
namespace {

// From ext4's own header, which is not installed with the kernel's headers.
constexpr unsigned long kExt4Checkpoint = _IOW('f', 43, std::uint32_t);
// Once everything is home, the journal's blocks are written with zeros: they
// keep copies of folder blocks, and so the names of deleted files, which no
// fill can reach. (Discarding them instead would not make every device forget.)
constexpr std::uint32_t kZeroOutJournal = 0x2;

}  // namespace

void CheckpointJournal(DriveHold& drive, std::string_view drive_root) {
  Place place;
  if (Locate(drive, ToNativeName(std::string(drive_root) + "\\"), Intent::kLook, &place) !=
      kSuccess) {
    return;
  }
  // A request needs an open folder; the held root is a path only.
  Descriptor root(openat(place.folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  std::uint32_t flags = kZeroOutJournal;
  if (root.valid()) ioctl(root.get(), kExt4Checkpoint, &flags);
}

}  // namespace kelvor::os
