// Volume facts on Windows: GetVolumeInformationW and the free-space call.
#include <windows.h>

#include <cstdio>

#include "platform/os_volume.h"

namespace kelvor::os {
namespace {

constexpr DWORD kNameRoom = MAX_PATH + 1;
constexpr std::size_t kSerialTextRoom = 10;  // "ABCD-1234" and its end

std::string Utf8(const wchar_t* wide) {
  int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), length, nullptr, nullptr);
  text.pop_back();  // the terminating zero
  return text;
}

}  // namespace

VolumeFacts QueryVolumeFacts(std::string_view drive_root) {
  VolumeFacts facts;
  if (drive_root.empty()) return facts;
  wchar_t root[] = {static_cast<wchar_t>(drive_root[0]), L':', L'\\', 0};
  facts.mount_point = Utf8(root);
  wchar_t label[kNameRoom] = {}, filesystem[kNameRoom] = {};
  DWORD serial = 0;
  UINT previous_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  if (GetVolumeInformationW(root, label, kNameRoom, &serial, nullptr, nullptr, filesystem,
                            kNameRoom)) {
    facts.label = Utf8(label);
    facts.filesystem = Utf8(filesystem);
    char text[kSerialTextRoom];
    std::snprintf(text, sizeof text, "%04lX-%04lX", serial >> 16, serial & 0xFFFFu);
    facts.serial = text;
  }
  ULARGE_INTEGER total = {};
  if (GetDiskFreeSpaceExW(root, nullptr, &total, nullptr)) facts.size_bytes = total.QuadPart;
  SetErrorMode(previous_mode);
  return facts;
}

std::string HostName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(name, &length) ? Utf8(name) : std::string();
}

WinError WriteWholeFile(const NativeName& path, std::string_view bytes) {
  NativeName temporary = path + L".tmp";
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  std::size_t done = 0;
  // A synchronous write takes everything or fails.
  WinError error =
      WriteToFile(reinterpret_cast<FileHandle>(file), bytes.data(), bytes.size(), &done);
  if (error == kSuccess && done < bytes.size()) error = kDiskFull;
  if (error == kSuccess && !FlushFileBuffers(file)) error = GetLastError();
  CloseHandle(file);
  if (error == kSuccess && !MoveFileExW(temporary.c_str(), path.c_str(),
                                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error != kSuccess) DeleteFileW(temporary.c_str());
  return error;
}

}  // namespace kelvor::os
