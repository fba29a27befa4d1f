// Trimming a fill file on Windows: FSCTL_FILE_LEVEL_TRIM over the whole file,
// on a handle of its own with write access. MinGW-w64 declares neither the
// request nor its structures.
#include <windows.h>
#include <winioctl.h>

#include "platform/os_files.h"

namespace kelvor::os {
namespace {

constexpr DWORD kFileLevelTrim =
    CTL_CODE(FILE_DEVICE_FILE_SYSTEM, 130, METHOD_BUFFERED, FILE_WRITE_DATA);

struct TrimRange {
  ULONGLONG offset;
  ULONGLONG length;
};
struct FileLevelTrim {
  ULONG key;  // 0: no key
  ULONG range_count;
  TrimRange ranges[1];
};
struct FileLevelTrimOutput {
  ULONG ranges_processed;
};

}  // namespace

WinError TrimFile(DriveHold&, const NativeName& name, std::uint64_t* trimmed) {
  *trimmed = 0;
  HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  LARGE_INTEGER size = {};
  WinError error = GetFileSizeEx(file, &size) ? kSuccess : GetLastError();
  FileLevelTrim request = {0, 1, {{0, static_cast<ULONGLONG>(size.QuadPart)}}};
  FileLevelTrimOutput output = {};
  DWORD returned = 0;
  if (error == kSuccess && !DeviceIoControl(file, kFileLevelTrim, &request, sizeof request, &output,
                                            sizeof output, &returned, nullptr)) {
    error = GetLastError();
  }
  CloseHandle(file);
  if (error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED) return kNotSupported;
  if (error == kSuccess && output.ranges_processed == 1) {
    *trimmed = static_cast<std::uint64_t>(size.QuadPart);
  }
  return error;
}

}  // namespace kelvor::os
