// Reading back a fill file on Windows: a second handle, for reading only,
// with FILE_FLAG_NO_BUFFERING, which bypasses the system cache. Wine takes
// the flag but reads through the host's page cache all the same.
#include <windows.h>

#include "platform/os_files.h"
#include "wine.h"

namespace kelvor::os {
namespace {

constexpr DWORD kShareEverything = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr std::size_t kDriveRootLength = 3;  // "X:\"

bool OnRamDisk(const NativeName& name) {
  if (name.size() < kDriveRootLength || name[1] != L':') return false;
  return GetDriveTypeW(name.substr(0, kDriveRootLength).c_str()) == DRIVE_RAMDISK;
}

HANDLE OpenToRead(const NativeName& name, DWORD flags) {
  return CreateFileW(name.c_str(), GENERIC_READ, kShareEverything, nullptr, OPEN_EXISTING, flags,
                     nullptr);
}

}  // namespace

WinError OpenForReadBack(DriveHold&, const NativeName& name, FileHandle* handle,
                         ReadBackPath* path) {
  *handle = kNoFile;
  UINT previous_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HANDLE file = OpenToRead(name, FILE_FLAG_NO_BUFFERING);
  bool direct = file != INVALID_HANDLE_VALUE;
  if (!direct) file = OpenToRead(name, FILE_ATTRIBUTE_NORMAL);
  WinError error = file == INVALID_HANDLE_VALUE ? GetLastError() : kSuccess;
  SetErrorMode(previous_mode);
  if (error != kSuccess) return error;
  if (OnRamDisk(name)) {
    *path = ReadBackPath::kMemory;
  } else {
    *path = direct && !UnderWine() ? ReadBackPath::kDirect : ReadBackPath::kThroughCache;
  }
  *handle = reinterpret_cast<FileHandle>(file);
  return kSuccess;
}

WinError ReadAt(FileHandle handle, std::uint64_t offset, void* buffer, std::size_t count,
                std::size_t* read) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD done = 0;
  BOOL ok = ReadFile(reinterpret_cast<HANDLE>(handle), buffer,
                     static_cast<DWORD>(count < MAXDWORD ? count : MAXDWORD), &done, &at);
  *read = done;
  if (!ok && GetLastError() != ERROR_HANDLE_EOF) return GetLastError();
  return kSuccess;
}

WinError QueryAllocatedSize(FileHandle handle, std::uint64_t* bytes) {
  FILE_STANDARD_INFO info = {};
  *bytes = 0;
  if (!GetFileInformationByHandleEx(reinterpret_cast<HANDLE>(handle), FileStandardInfo, &info,
                                    sizeof info)) {
    return GetLastError();
  }
  *bytes = static_cast<std::uint64_t>(info.AllocationSize.QuadPart);
  return kSuccess;
}

}  // namespace kelvor::os
