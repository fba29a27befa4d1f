// File and folder primitives on the Win32 API. Every call that can fail runs
// with critical-error boxes suppressed and is judged by GetLastError alone.
#include <windows.h>

#include <climits>

#include "platform/os_files.h"

namespace kelvor::os {
namespace {

constexpr UINT kQuietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;

// One guarded call: no system dialogs, a clean last-error value before the
// call, and that value read back after it.
class GuardedCall {
 public:
  GuardedCall() : previous_mode_(SetErrorMode(kQuietErrorMode)) { SetLastError(0); }
  WinError Finish() {
    WinError error = GetLastError();
    SetErrorMode(previous_mode_);
    return error;
  }

 private:
  UINT previous_mode_;
};

HANDLE AsHandle(FileHandle handle) {
  return reinterpret_cast<HANDLE>(handle);
}

DWORD ClampToDword(std::size_t count) {
  return count > MAXDWORD ? MAXDWORD : static_cast<DWORD>(count);
}

}  // namespace

NativeName ToNativeName(std::string_view ansi) {
  if (ansi.empty()) return {};
  int length = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, ansi.data(),
                                   static_cast<int>(ansi.size()), nullptr, 0);
  NativeName wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, ansi.data(), static_cast<int>(ansi.size()),
                      wide.data(), length);
  return wide;
}

WinError CreateFileHandle(const NativeName& name, unsigned access, Disposition disposition,
                          FileHandle* handle) {
  DWORD desired = 0;
  if (access & kReadAccess) desired |= GENERIC_READ;
  if (access & kWriteAccess) desired |= GENERIC_WRITE;
  SECURITY_ATTRIBUTES security = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  DWORD creation = disposition == Disposition::kOpenAlways ? OPEN_ALWAYS : OPEN_EXISTING;

  GuardedCall call;
  HANDLE opened =
      CreateFileW(name.c_str(), desired, 0, &security, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
  WinError error = call.Finish();
  if (opened == INVALID_HANDLE_VALUE) {
    *handle = kNoFile;
    return error == kSuccess ? kGenFailure : error;
  }
  *handle = reinterpret_cast<FileHandle>(opened);
  return kSuccess;  // a successful open may leave 183 behind; that is no failure
}

WinError FileIsDisk(FileHandle handle, bool* disk) {
  GuardedCall call;
  *disk = GetFileType(AsHandle(handle)) == FILE_TYPE_DISK;
  return call.Finish();
}

WinError SetPosition(FileHandle handle, std::uint64_t offset) {
  LONG high = static_cast<LONG>(offset >> 32);
  GuardedCall call;
  SetFilePointer(AsHandle(handle), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
  return call.Finish();
}

WinError TruncateAtPosition(FileHandle handle) {
  GuardedCall call;
  SetEndOfFile(AsHandle(handle));
  return call.Finish();
}

WinError ReadFromFile(FileHandle handle, void* buffer, std::size_t count, std::size_t* read) {
  DWORD done = 0;
  GuardedCall call;
  ReadFile(AsHandle(handle), buffer, ClampToDword(count), &done, nullptr);
  *read = done;
  return call.Finish();
}

WinError WriteToFile(FileHandle handle, const void* data, std::size_t count, std::size_t* written) {
  DWORD done = 0;
  GuardedCall call;
  WriteFile(AsHandle(handle), data, ClampToDword(count), &done, nullptr);
  *written = done;
  return call.Finish();
}

WinError FlushToDevice(FileHandle handle) {
  GuardedCall call;
  FlushFileBuffers(AsHandle(handle));
  return call.Finish();
}

WinError QueryFileSize(FileHandle handle, std::uint64_t* size) {
  DWORD high = 0;
  GuardedCall call;
  DWORD low = GetFileSize(AsHandle(handle), &high);
  *size = (static_cast<std::uint64_t>(high) << 32) | low;
  return call.Finish();
}

WinError CloseFileHandle(FileHandle handle) {
  GuardedCall call;
  CloseHandle(AsHandle(handle));
  return call.Finish();
}

WinError RemoveFile(const NativeName& name) {
  GuardedCall call;
  DeleteFileW(name.c_str());
  return call.Finish();
}

WinError MakeDirectory(const NativeName& name) {
  GuardedCall call;
  CreateDirectoryW(name.c_str(), nullptr);
  return call.Finish();
}

WinError DeleteDirectory(const NativeName& name) {
  GuardedCall call;
  RemoveDirectoryW(name.c_str());
  return call.Finish();
}

namespace {
void CopyEntry(const WIN32_FIND_DATAW& data, FoundEntry* entry) {
  entry->name = data.cFileName;
  entry->attributes = data.dwFileAttributes;
}
}  // namespace

bool FindFirstEntry(const NativeName& pattern, FindHandle* search, FoundEntry* entry) {
  WIN32_FIND_DATAW data;
  HANDLE found = FindFirstFileW(pattern.c_str(), &data);
  if (found == INVALID_HANDLE_VALUE) return false;
  *search = reinterpret_cast<FindHandle>(found);
  CopyEntry(data, entry);
  return true;
}

bool FindNextEntry(FindHandle search, FoundEntry* entry) {
  WIN32_FIND_DATAW data;
  if (!FindNextFileW(AsHandle(search), &data)) return false;
  CopyEntry(data, entry);
  return true;
}

void EndFind(FindHandle search) {
  FindClose(AsHandle(search));
}

}  // namespace kelvor::os
