// File and folder primitives on the Win32 API. Every call that can fail runs
// with critical-error boxes suppressed and is judged by GetLastError alone.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/common/wildcard.h"
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

// Where the last part of a name begins: after its last "\\", "/" or ":".
std::size_t LastPartAt(const NativeName& name) {
  std::size_t separator = name.find_last_of(L"\\/:");
  return separator == NativeName::npos ? 0 : separator + 1;
}

// A folder that is a junction or a symbolic link could lead the program's
// files, and their deletion, anywhere: nothing is made or deleted in one.
WinError RefuseLinkedFolder(const NativeName& name) {
  std::size_t at = LastPartAt(name);
  if (at == 0 || name[at - 1] == L':') return kSuccess;  // the current folder, or a drive's root
  NativeName folder = name.substr(0, at - 1);
  if (folder.size() == 2 && folder[1] == L':') return kSuccess;
  DWORD attributes = GetFileAttributesW(folder.c_str());
  bool linked =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  return linked ? kAccessDenied : kSuccess;
}

// A file with a second name (a hard link) could be someone else's too.
bool HasOneName(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1;
}

DWORD CreationOf(Disposition disposition) {
  switch (disposition) {
    case Disposition::kOpenAlways:
      return OPEN_ALWAYS;
    case Disposition::kCreateNew:
      return CREATE_NEW;
    case Disposition::kOpenExisting:
      break;
  }
  return OPEN_EXISTING;
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
                          Sharing sharing, FileHandle* handle) {
  *handle = kNoFile;
  bool writing = access & kWriteAccess;
  if (writing) {
    if (WinError error = RefuseLinkedFolder(name)) return error;
  }
  DWORD desired = 0;
  if (access & kReadAccess) desired |= GENERIC_READ;
  if (writing) desired |= GENERIC_WRITE;
  DWORD share = sharing == Sharing::kReaders ? FILE_SHARE_READ : 0;
  SECURITY_ATTRIBUTES security = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};

  GuardedCall call;
  HANDLE opened = CreateFileW(name.c_str(), desired, share, &security, CreationOf(disposition),
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  WinError error = call.Finish();
  if (opened == INVALID_HANDLE_VALUE) return error == kSuccess ? kGenFailure : error;
  if (writing && !HasOneName(opened)) {
    CloseHandle(opened);
    return kAccessDenied;
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

WinError WriteRepeatedToFile(FileHandle handle, const void* slice, std::size_t slice_size,
                             std::size_t count, std::size_t* written) {
  *written = 0;
  while (*written < count) {
    std::size_t done = 0;
    WinError error = WriteToFile(handle, slice, std::min(slice_size, count - *written), &done);
    *written += done;
    if (error != kSuccess) return error;
    if (done == 0) return kDiskFull;
  }
  return kSuccess;
}

WinError FlushToDevice(FileHandle handle) {
  GuardedCall call;
  FlushFileBuffers(AsHandle(handle));
  return call.Finish();
}

namespace {

// Windows' flush waits for the device: a thread of its own flushes a file
// while the program's one thread writes on. It lives as long as the process.
class Flusher {
 public:
  static Flusher& Instance() {
    static Flusher* flusher = new Flusher;  // never destroyed: the process ends it
    return *flusher;
  }
  void Start(FileHandle handle) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
    handle_ = handle;
    busy_ = true;
    changed_.notify_all();
  }
  WinError Finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
    return result_;
  }

 private:
  Flusher() {
    std::thread([this] { Serve(); }).detach();
  }
  void Serve() {
    for (;;) {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return busy_; });
      FileHandle handle = handle_;
      lock.unlock();
      WinError result = FlushToDevice(handle);
      lock.lock();
      result_ = result;
      busy_ = false;
      changed_.notify_all();
    }
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  FileHandle handle_ = kNoFile;
  bool busy_ = false;
  WinError result_ = kSuccess;
};

}  // namespace

void StartFlush(FileHandle handle) {
  Flusher::Instance().Start(handle);
}

WinError FinishFlush(FileHandle) {
  return Flusher::Instance().Finish();
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
  if (WinError error = RefuseLinkedFolder(name)) return error;
  GuardedCall call;
  DeleteFileW(name.c_str());
  return call.Finish();
}

WinError MakeDirectory(const NativeName& name) {
  if (WinError error = RefuseLinkedFolder(name)) return error;
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

// Windows matches a wildcard against the short 8.3 names too: a user's
// "Kelvor notes.data" is "KELVOR~1.DAT" there. Only long names count here.
struct Search {
  HANDLE handle;
  NativeName wildcard;  // empty when the pattern names one file
};

bool TakeEntry(const Search& search, const WIN32_FIND_DATAW& data, FoundEntry* entry) {
  if (!search.wildcard.empty() && !MatchesWildcard(data.cFileName, search.wildcard)) return false;
  entry->name = data.cFileName;
  entry->attributes = data.dwFileAttributes;
  return true;
}

}  // namespace

bool FindFirstEntry(const NativeName& pattern, FindHandle* search, FoundEntry* entry) {
  WIN32_FIND_DATAW data;
  HANDLE found = FindFirstFileW(pattern.c_str(), &data);
  if (found == INVALID_HANDLE_VALUE) return false;
  NativeName last_part = pattern.substr(LastPartAt(pattern));
  bool wildcard = last_part.find_first_of(L"*?") != NativeName::npos;
  auto* state = new Search{found, wildcard ? last_part : NativeName()};
  *search = reinterpret_cast<FindHandle>(state);
  if (TakeEntry(*state, data, entry) || FindNextEntry(*search, entry)) return true;
  EndFind(*search);
  return false;
}

bool FindNextEntry(FindHandle search, FoundEntry* entry) {
  auto* state = reinterpret_cast<Search*>(search);
  WIN32_FIND_DATAW data;
  while (FindNextFileW(state->handle, &data)) {
    if (TakeEntry(*state, data, entry)) return true;
  }
  return false;
}

void EndFind(FindHandle search) {
  auto* state = reinterpret_cast<Search*>(search);
  FindClose(state->handle);
  delete state;
}

}  // namespace kelvor::os
