// File and folder primitives on POSIX. Failures are reported as the Windows
// error code of the same situation, and Windows rules that Linux lacks
// (read-only files, no sharing, directories that are not files) are kept.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "direct_write.h"
#include "drive_map.h"
#include "errno_map.h"
#include "platform/os_files.h"
#include "wildcard.h"

namespace kelvor::os {
namespace {

constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kNewFolderMode = 0777;
constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

int AsDescriptor(FileHandle handle) {
  return static_cast<int>(handle);
}

WinError LastError(const std::string& path = {}) {
  return TranslateErrno(errno, path);
}

// Windows refuses a read or write that the handle's access does not allow with
// "access denied"; Linux says EBADF for a descriptor that is valid.
WinError TransferError(int fd) {
  if (errno == EBADF && fcntl(fd, F_GETFL) >= 0) return kAccessDenied;
  return LastError();
}

// Windows refuses to write or delete a file with the read-only attribute,
// even for an administrator; a file without write bits plays that part.
bool IsReadOnlyFile(const struct stat& info) {
  return S_ISREG(info.st_mode) && (info.st_mode & kAnyWriteBit) == 0;
}

// Every open here takes an exclusive lock, as Windows opens without sharing;
// a file that another open holds cannot be deleted either.
bool IsHeldOpen(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  close(fd);
  return held;
}

std::uint32_t AttributesOf(const std::string& path, const std::string& name) {
  // A link is taken for what it is, not for what it points to: it is never
  // followed, only deleted like a file.
  struct stat info;
  if (lstat(path.c_str(), &info) != 0 || S_ISLNK(info.st_mode)) return kAttrArchive;
  std::uint32_t attributes = 0;
  if (S_ISDIR(info.st_mode)) attributes |= kAttrDirectory;
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= kAttrHidden;
  if (IsReadOnlyFile(info)) attributes |= kAttrReadOnly;
  return attributes == 0 ? kAttrArchive : attributes;
}

struct Search {
  DIR* folder;
  std::string folder_path;  // with a trailing slash, or empty for "."
  std::string pattern;
};

bool NextMatch(Search& search, FoundEntry* entry) {
  while (dirent* item = readdir(search.folder)) {
    std::string name = item->d_name;
    if (!MatchesWildcard(name, search.pattern)) continue;
    entry->name = name;
    entry->attributes = AttributesOf(search.folder_path + name, name);
    return true;
  }
  return false;
}

}  // namespace

NativeName ToNativeName(std::string_view ansi) {
  return MapDrivePath(ansi, CurrentDriveMap());
}

WinError CreateFileHandle(const NativeName& name, unsigned access, Disposition disposition,
                          FileHandle* handle) {
  *handle = kNoFile;
  struct stat info;
  bool exists = stat(name.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) return kAccessDenied;
  if (exists && (access & kWriteAccess) && IsReadOnlyFile(info)) return kAccessDenied;

  // A link in the file's own place is not followed: it could name any file.
  int flags = O_CLOEXEC | O_NOFOLLOW;
  if ((access & kReadAccess) && (access & kWriteAccess)) {
    flags |= O_RDWR;
  } else {
    flags |= (access & kWriteAccess) ? O_WRONLY : O_RDONLY;
  }
  if (disposition == Disposition::kOpenAlways) flags |= O_CREAT;

  int fd = open(name.c_str(), flags, kNewFileMode);
  if (fd < 0) return LastError(name);
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    close(fd);
    return kSharingViolation;
  }
  *handle = fd;
  return kSuccess;
}

WinError FileIsDisk(FileHandle handle, bool* disk) {
  struct stat info;
  *disk = false;
  if (fstat(AsDescriptor(handle), &info) != 0) return LastError();
  *disk = S_ISREG(info.st_mode) || S_ISBLK(info.st_mode);
  return kSuccess;
}

WinError SetPosition(FileHandle handle, std::uint64_t offset) {
  if (lseek(AsDescriptor(handle), static_cast<off_t>(offset), SEEK_SET) < 0) return LastError();
  return kSuccess;
}

WinError TruncateAtPosition(FileHandle handle) {
  off_t here = lseek(AsDescriptor(handle), 0, SEEK_CUR);
  if (here < 0 || ftruncate(AsDescriptor(handle), here) != 0) return LastError();
  return kSuccess;
}

WinError ReadFromFile(FileHandle handle, void* buffer, std::size_t count, std::size_t* read) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  *read = 0;
  while (*read < count) {
    ssize_t got = ::read(AsDescriptor(handle), bytes + *read, count - *read);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return TransferError(AsDescriptor(handle));
    if (got == 0) break;  // end of file
    *read += static_cast<std::size_t>(got);
  }
  return kSuccess;
}

WinError WriteToFile(FileHandle handle, const void* data, std::size_t count, std::size_t* written) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  *written = WriteDirect(AsDescriptor(handle), bytes, count);
  // write() may take less than asked; one call of ours is one whole write.
  while (*written < count) {
    ssize_t put = ::write(AsDescriptor(handle), bytes + *written, count - *written);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return TransferError(AsDescriptor(handle));
    if (put == 0) return kDiskFull;
    *written += static_cast<std::size_t>(put);
  }
  return kSuccess;
}

WinError FlushToDevice(FileHandle handle) {
  if (fsync(AsDescriptor(handle)) != 0) return LastError();
  return kSuccess;
}

WinError QueryFileSize(FileHandle handle, std::uint64_t* size) {
  struct stat info;
  *size = 0;
  if (fstat(AsDescriptor(handle), &info) != 0) return LastError();
  *size = static_cast<std::uint64_t>(info.st_size);
  return kSuccess;
}

WinError CloseFileHandle(FileHandle handle) {
  if (close(AsDescriptor(handle)) != 0) return LastError();
  return kSuccess;
}

WinError RemoveFile(const NativeName& name) {
  struct stat info;
  if (lstat(name.c_str(), &info) != 0) return LastError(name);
  if (S_ISDIR(info.st_mode) || IsReadOnlyFile(info)) return kAccessDenied;
  if (IsHeldOpen(name)) return kSharingViolation;
  if (unlink(name.c_str()) != 0) return LastError(name);
  return kSuccess;
}

WinError MakeDirectory(const NativeName& name) {
  if (mkdir(name.c_str(), kNewFolderMode) != 0) return LastError(name);
  return kSuccess;
}

WinError DeleteDirectory(const NativeName& name) {
  struct stat info;
  if (lstat(name.c_str(), &info) != 0) return LastError(name);
  if (!S_ISDIR(info.st_mode)) return kDirectory;
  if (rmdir(name.c_str()) != 0) return LastError(name);
  return kSuccess;
}

bool FindFirstEntry(const NativeName& pattern, FindHandle* search, FoundEntry* entry) {
  std::size_t slash = pattern.find_last_of('/');
  std::string folder_path = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
  DIR* folder = opendir(folder_path.empty() ? "." : folder_path.c_str());
  if (!folder) return false;

  auto* state = new Search{folder, folder_path, pattern.substr(slash + 1)};
  if (!NextMatch(*state, entry)) {
    EndFind(reinterpret_cast<FindHandle>(state));
    return false;
  }
  *search = reinterpret_cast<FindHandle>(state);
  return true;
}

bool FindNextEntry(FindHandle search, FoundEntry* entry) {
  return NextMatch(*reinterpret_cast<Search*>(search), entry);
}

void EndFind(FindHandle search) {
  auto* state = reinterpret_cast<Search*>(search);
  closedir(state->folder);
  delete state;
}

}  // namespace kelvor::os
