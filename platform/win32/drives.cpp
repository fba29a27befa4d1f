#include <windows.h>

#include <string>

#include "platform/os_drives.h"

namespace kelvor::os {

unsigned QueryDriveType(std::string_view root_path) {
  std::string root(root_path);
  return GetDriveTypeA(root.c_str());
}

WinError QueryFreeBytes(std::string_view drive_root, std::uint64_t* total_free) {
  std::string root(drive_root);  // the 8-bit "A" call takes the text unconverted
  ULARGE_INTEGER available, total, free;
  if (!GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free)) return GetLastError();
  *total_free = free.QuadPart;
  return kSuccess;
}

void CheckpointJournal(std::string_view) {}  // no Windows call asks for it
void OverwriteJournal(std::string_view) {}   // no Windows call reaches a filesystem's log

}  // namespace kelvor::os
