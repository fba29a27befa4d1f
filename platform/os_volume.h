// What the OS tells about a volume and the machine, for a run's record, and
// the record's own file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/os_files.h"

namespace kelvor::os {

// Texts are UTF-8 where the OS gives names in Unicode; empty where it does
// not tell.
struct VolumeFacts {
  std::string mount_point;  // POSIX: the drive's folder; Windows: its root "D:\"
  std::string filesystem;   // "ext4", "NTFS"
  std::string label;
  std::string serial;  // Windows: the volume serial number; POSIX: the filesystem's UUID
  std::uint64_t size_bytes = 0;
};
VolumeFacts QueryVolumeFacts(std::string_view drive_root);

// The device that holds a volume's data, as far as the OS tells it.
enum class MediumKind { kUnknown, kRotational, kSolidState };
struct MediumFacts {
  std::string device;  // POSIX: "/dev/nvme0n1"; Windows: empty
  std::string model;   // empty where the OS does not tell
  std::string serial;
  // Unknown unless the OS says so plainly: a rotating device that accepts
  // discards may be thin or flash underneath (a virtual disk), and Wine
  // answers that every drive is solid state.
  MediumKind kind = MediumKind::kUnknown;
};
MediumFacts QueryMediumFacts(std::string_view drive_root);

std::string HostName();

// Makes `bytes` the file's whole content in one step: written to a
// temporary file beside it, flushed, and renamed over it, so that the file
// is never seen half written.
WinError WriteWholeFile(const NativeName& path, std::string_view bytes);

}  // namespace kelvor::os
