#include <windows.h>

#include <string>

#include "platform/os_drives.h"

namespace kelvor::os {

unsigned QueryDriveType(std::string_view root_path) {
  std::string root(root_path);
  return GetDriveTypeA(root.c_str());
}

// Windows asks by the root's name: the hold has no part in it.
WinError QueryFreeBytes(DriveHold&, std::string_view drive_root, std::uint64_t* total_free) {
  std::string root(drive_root);  // the 8-bit "A" call takes the text unconverted
  ULARGE_INTEGER available, total, free;
  if (!GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free)) return GetLastError();
  *total_free = free.QuadPart;
  return kSuccess;
}

// No Windows call asks for a checkpoint, or reaches a filesystem's log.
void CheckpointJournal(DriveHold&, std::string_view) {}
void OverwriteJournal(DriveHold&, std::string_view) {}
WinError TrimFreeSpace(DriveHold&, std::string_view, std::uint64_t* trimmed) {
  *trimmed = 0;
  return kNotSupported;
}

}  // namespace kelvor::os
