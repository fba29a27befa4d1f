// File and folder primitives on the Win32 API. Every call that can fail runs
// with critical-error boxes suppressed and is judged by GetLastError alone.
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cwctype>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/common/wildcard.h"
#include "platform/os_files.h"

namespace kelvor::os {
namespace {

constexpr UINT kQuietErrorMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
constexpr DWORD kPathBelowRoot = FILE_NAME_NORMALIZED | VOLUME_NAME_NONE;
constexpr DWORD kPathOnItsDrive = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;

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

// What a handle leads to: its volume, and its path below the volume's root.
struct Place {
  DWORD volume = 0;
  NativeName path;
};

bool PlaceOf(HANDLE handle, Place* place) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  place->volume = info.dwVolumeSerialNumber;
  DWORD length = GetFinalPathNameByHandleW(handle, nullptr, 0, kPathBelowRoot);
  if (length == 0) return false;
  place->path.assign(length, L'\0');
  length = GetFinalPathNameByHandleW(handle, place->path.data(), length, kPathBelowRoot);
  place->path.resize(length);
  return length != 0;
}

bool SameName(const NativeName& a, const NativeName& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

DWORD AttributesOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(handle, &info) ? info.dwFileAttributes
                                                   : INVALID_FILE_ATTRIBUTES;
}

// Opens a name as itself: a folder too, and a junction or link as the link,
// not what it leads to.
HANDLE OpenItself(const NativeName& name, DWORD access, DWORD share) {
  return CreateFileW(name.c_str(), access, share, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// Where the part below the drive's root begins in a full name: after "X:\"
// or "\\server\share\"; 0 when the name has no such root.
std::size_t BelowRootAt(const NativeName& full) {
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return 3;
  if (full.rfind(L"\\\\", 0) != 0) return 0;
  std::size_t share = full.find(L'\\', 2);
  std::size_t below = share == NativeName::npos ? share : full.find(L'\\', share + 1);
  return below == NativeName::npos ? 0 : below + 1;
}

struct NoCase {
  bool operator()(const NativeName& a, const NativeName& b) const {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
  }
};

// Windows' flush waits for the device: a thread of its own flushes a file
// while the run's thread writes on. Each drive hold has its own, so that two
// runs never wait for, or hear the result of, each other's flush.
class Flusher {
 public:
  Flusher() : thread_([this] { Serve(); }) {}
  ~Flusher() {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return !busy_; });
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  Flusher(const Flusher&) = delete;
  Flusher& operator=(const Flusher&) = delete;

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
  bool Finished() {
    std::lock_guard lock(mutex_);
    return !busy_;
  }

 private:
  void Serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return busy_ || stopping_; });
      if (!busy_) return;
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
  bool stopping_ = false;
  WinError result_ = kSuccess;
  std::thread thread_;  // last: it starts once the members it uses exist
};

}  // namespace

// The folders checked on the drive of one run, held until the run removes
// them or the hold lets go: one check then serves every file the run makes
// there, since nobody can rename a held folder meanwhile.
struct DriveHold::State {
  State() = default;
  ~State() {
    for (auto& [name, folder] : folders) CloseHandle(folder);
  }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  wchar_t letter = 0;                            // 0: no drive is held
  std::map<NativeName, HANDLE, NoCase> folders;  // by full name, the root's "X:\" too
  Place root;                                    // the root's, once it is held
  std::unique_ptr<Flusher> flusher;              // made at the run's first flush

  // Lets go of `top` and every folder below it.
  void Release(const NativeName& top) {
    for (auto it = folders.lower_bound(top); it != folders.end();) {
      bool below = it->first.size() >= top.size() &&
                   SameName(it->first.substr(0, top.size()), top) &&
                   (it->first.size() == top.size() || it->first[top.size()] == L'\\');
      if (!below) break;
      CloseHandle(it->second);
      it = folders.erase(it);
    }
  }
};

DriveHold::DriveHold() : state_(std::make_unique<State>()) {}
DriveHold::~DriveHold() = default;
DriveHold::DriveHold(DriveHold&&) noexcept = default;
DriveHold& DriveHold::operator=(DriveHold&&) noexcept = default;

namespace {

NativeName FullNameOf(const NativeName& name) {
  NativeName full(GetFullPathNameW(name.c_str(), 0, nullptr, nullptr), L'\0');
  full.resize(
      GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
  return full;
}

// The folders from a drive's root down to the folder that holds a name, each
// opened as itself and held open while the program works there (on the
// run's drive for the run, by its hold): a junction or link anywhere on the
// way could lead its files, and their deletion, onto another volume. Each
// folder must be a real folder, on the root's volume, where its name says:
// Wine opens what a Unix symbolic link leads to even when asked for the
// link itself, and only the handle's path shows it.
class HeldFolders {
 public:
  HeldFolders(DriveHold& drive, const NativeName& name)
      : run_(drive.state()), full_(FullNameOf(name)) {
    below_root_ = BelowRootAt(full_);
    // A folder's name may end in a separator ("G:\~KelvorTemp\"): it names
    // the folder itself.
    while (full_.size() > below_root_ && full_.back() == L'\\') full_.pop_back();
    std::size_t last_separator = full_.find_last_of(L'\\');
    if (below_root_ == 0 || last_separator + 1 < below_root_) {
      error_ = kAccessDenied;  // a name on no drive
      return;
    }
    for_run_ = below_root_ == kDriveRootLength && run_.letter != 0 &&
               std::towupper(full_[0]) == run_.letter;
    error_ = HoldRoot();
    for (std::size_t at = full_.find(L'\\', below_root_);
         error_ == kSuccess && at <= last_separator; at = full_.find(L'\\', at + 1)) {
      error_ = HoldFolder(at);
    }
  }
  ~HeldFolders() {
    for (HANDLE folder : held_) CloseHandle(folder);
  }
  HeldFolders(const HeldFolders&) = delete;
  HeldFolders& operator=(const HeldFolders&) = delete;

  WinError error() const { return error_; }
  // Whether `handle` is what the whole name names.
  bool IsNamed(HANDLE handle) const { return IsNamed(handle, full_.size()); }

 private:
  static constexpr std::size_t kDriveRootLength = 3;  // "X:\"
  // Listing access makes the hold count against other openers; its share
  // modes leave out deletion: nobody renames or removes a held folder.
  static constexpr DWORD kFolderAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
  static constexpr DWORD kFolderSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

  // Whether `handle` is what the name's first `length` characters name.
  bool IsNamed(HANDLE handle, std::size_t length) const {
    Place place;
    NativeName below_root = full_.substr(below_root_ - 1, length - below_root_ + 1);
    return PlaceOf(handle, &place) && place.volume == root_.volume &&
           SameName(place.path, root_.path + below_root);
  }

  bool HeldForRun(std::size_t length) const {
    return for_run_ && run_.folders.count(full_.substr(0, length)) != 0;
  }

  // Opens the folder of the name's first `length` characters, checks it
  // with `check` and holds it. A folder on the way that is missing, or no
  // folder, leaves the path not found, as Windows would say; a link or
  // junction is refused.
  template <typename Check>
  WinError Hold(std::size_t length, Check check) {
    NativeName folder_name = full_.substr(0, length);
    GuardedCall call;
    HANDLE folder = OpenItself(folder_name, kFolderAccess, kFolderSharing);
    WinError error = call.Finish();
    if (folder == INVALID_HANDLE_VALUE) return error == kFileNotFound ? kPathNotFound : error;
    DWORD attributes = AttributesOf(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      error = kPathNotFound;
    } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      error = kAccessDenied;
    } else {
      error = check(folder);
    }
    if (error == kSuccess && for_run_) {
      run_.folders[folder_name] = folder;
    } else {
      held_.push_back(folder);
    }
    return error;
  }
  WinError HoldRoot() {
    if (HeldForRun(below_root_)) {
      root_ = run_.root;
      return kSuccess;
    }
    return Hold(below_root_, [this](HANDLE root) {
      if (!PlaceOf(root, &root_)) return kAccessDenied;
      if (!root_.path.empty() && root_.path.back() == L'\\') root_.path.pop_back();
      if (for_run_) run_.root = root_;
      return kSuccess;
    });
  }
  WinError HoldFolder(std::size_t length) {
    if (HeldForRun(length)) return kSuccess;
    return Hold(length, [this, length](HANDLE folder) {
      return IsNamed(folder, length) ? kSuccess : kAccessDenied;
    });
  }

  DriveHold::State& run_;
  NativeName full_;
  std::size_t below_root_ = 0;  // where the part below the drive's root begins
  bool for_run_ = false;        // the name is on the run's drive
  Place root_;                  // its path without the closing separator
  std::vector<HANDLE> held_;    // for this call only
  WinError error_ = kSuccess;
};

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

WinError CreateFileHandle(DriveHold& drive, const NativeName& name, unsigned access,
                          Disposition disposition, Sharing sharing, FileHandle* handle) {
  *handle = kNoFile;
  bool writing = access & kWriteAccess;
  std::optional<HeldFolders> folders;  // held until the file is open
  if (writing) {
    if (WinError error = folders.emplace(drive, name).error()) return error;
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

namespace {

// The free bytes of the volume that holds an open file; nothing when that
// cannot be learnt.
std::optional<std::uint64_t> FreeBytesBeside(HANDLE file) {
  DWORD length = GetFinalPathNameByHandleW(file, nullptr, 0, kPathOnItsDrive);
  if (length == 0) return std::nullopt;
  NativeName path(length, L'\0');
  length = GetFinalPathNameByHandleW(file, path.data(), length, kPathOnItsDrive);
  path.resize(std::min<std::size_t>(length, path.size()));
  path.resize(path.find_last_of(L'\\') + 1);  // the file's folder
  ULARGE_INTEGER free_bytes;
  if (path.empty() || !GetDiskFreeSpaceExW(path.c_str(), &free_bytes, nullptr, nullptr)) {
    return std::nullopt;
  }
  return free_bytes.QuadPart;
}

// Wine answers a FAT volume's FUSE driver's refusal of a write that finds no
// free cluster (EPERM) with "access denied", not "disk full". A write refused
// so while its volume has less room than it needed is the full disk it is;
// Windows itself never gives that answer to a write to a file opened for it.
WinError WriteError(HANDLE file, WinError error, std::size_t left) {
  if (error != ERROR_ACCESS_DENIED || left == 0) return error;
  std::optional<std::uint64_t> free_bytes = FreeBytesBeside(file);
  return free_bytes && *free_bytes < left ? kDiskFull : error;
}

}  // namespace

WinError WriteToFile(FileHandle handle, const void* data, std::size_t count, std::size_t* written) {
  DWORD done = 0;
  GuardedCall call;
  WriteFile(AsHandle(handle), data, ClampToDword(count), &done, nullptr);
  *written = done;
  return WriteError(AsHandle(handle), call.Finish(), count - done);
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

void StartFlush(DriveHold& drive, FileHandle handle) {
  DriveHold::State& state = drive.state();
  if (!state.flusher) state.flusher = std::make_unique<Flusher>();
  state.flusher->Start(handle);
}

WinError FinishFlush(DriveHold& drive, FileHandle) {
  DriveHold::State& state = drive.state();
  return state.flusher ? state.flusher->Finish() : kSuccess;
}

bool FlushFinished(DriveHold& drive, FileHandle) {
  DriveHold::State& state = drive.state();
  return !state.flusher || state.flusher->Finished();
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

// What is deleted must be a plain file where its name says: a link in its
// place would take its target with it (Wine deletes what a Unix symbolic
// link leads to, however it is asked). The check has a handle of its own,
// closed before the deletion by name: on a full FUSE volume Wine loses a
// deletion set on a handle that was queried first.
WinError CheckFileToDelete(const NativeName& name, const HeldFolders& folders) {
  GuardedCall call;
  HANDLE file = OpenItself(name, FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  WinError error = call.Finish();
  if (file == INVALID_HANDLE_VALUE) return error == kSuccess ? kGenFailure : error;
  DWORD attributes = AttributesOf(file);
  bool plain_file = attributes != INVALID_FILE_ATTRIBUTES &&
                    !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
                    folders.IsNamed(file);
  CloseHandle(file);
  return plain_file ? kSuccess : kAccessDenied;
}

WinError RemoveFile(DriveHold& drive, const NativeName& name) {
  HeldFolders folders(drive, name);
  if (WinError error = folders.error()) return error;
  if (WinError error = CheckFileToDelete(name, folders)) return error;
  GuardedCall call;
  DeleteFileW(name.c_str());
  return call.Finish();
}

WinError MakeDirectory(DriveHold& drive, const NativeName& name) {
  HeldFolders folders(drive, name);
  if (WinError error = folders.error()) return error;
  GuardedCall call;
  CreateDirectoryW(name.c_str(), nullptr);
  return call.Finish();
}

WinError StoreUncompressed(DriveHold& drive, const NativeName& folder, bool uncompressed) {
  if (!uncompressed) return kSuccess;
  HeldFolders folders(drive, folder);
  if (WinError error = folders.error()) return error;
  GuardedCall call;
  HANDLE opened = CreateFileW(folder.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return call.Finish();
  USHORT format = COMPRESSION_FORMAT_NONE;
  DWORD returned = 0;
  bool done = DeviceIoControl(opened, FSCTL_SET_COMPRESSION, &format, sizeof format, nullptr, 0,
                              &returned, nullptr);
  WinError error = done ? kSuccess : call.Finish();
  CloseHandle(opened);
  return error;
}

WinError DeleteDirectory(DriveHold& drive, const NativeName& name) {
  HeldFolders folders(drive, name);
  if (WinError error = folders.error()) return error;
  NativeName full = FullNameOf(name);
  while (!full.empty() && full.back() == L'\\') full.pop_back();
  drive.state().Release(full);
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

// Windows searches by name alone: a search holds no folder.
bool FindFirstEntry(DriveHold&, const NativeName& pattern, FindHandle* search, FoundEntry* entry) {
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

WinError HoldDrive(std::string_view drive_root, DriveHold* hold) {
  *hold = DriveHold();  // the folders held before are let go
  if (!drive_root.empty()) {
    hold->state().letter = std::towupper(static_cast<unsigned char>(drive_root[0]));
  }
  return kSuccess;  // a drive letter names one volume for as long as it is there
}

}  // namespace kelvor::os
