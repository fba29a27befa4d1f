// Trimming on Linux: FITRIM on the volume's root, over the whole volume. The
// filesystem tells the device of each free extent; it needs root's rights.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "errno_map.h"
#include "places.h"
#include "platform/os_drives.h"
#include "platform/os_files.h"

namespace kelvor::os {

WinError TrimFreeSpace(DriveHold& drive, std::string_view drive_root, std::uint64_t* trimmed) {
  *trimmed = 0;
  Place place;
  if (WinError error =
          Locate(drive, ToNativeName(std::string(drive_root) + "\\"), Intent::kLook, &place)) {
    return error;
  }
  Descriptor root(openat(place.folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!root.valid()) return TranslateErrno(errno);
  // What the deletion freed is free to FITRIM only once it is committed.
  syncfs(root.get());
  fstrim_range range = {0, ULLONG_MAX, 0};
  if (ioctl(root.get(), FITRIM, &range) != 0) {
    // tmpfs knows no such request; a device without discards refuses it.
    return errno == ENOTTY || errno == EOPNOTSUPP ? kNotSupported : TranslateErrno(errno);
  }
  *trimmed = range.len;
  return kSuccess;
}

WinError TrimFile(DriveHold&, const NativeName&, std::uint64_t* trimmed) {
  *trimmed = 0;
  return kNotSupported;
}

}  // namespace kelvor::os
