// File and folder primitives on POSIX. Failures are reported as the Windows
// error code of the same situation, and Windows rules that Linux lacks
// (read-only files, no sharing, directories that are not files) are kept.
// Every name is reached through its folder, opened as places.h says: from a
// drive held open, never through a symbolic link.
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "direct_write.h"
#include "drive_map.h"
#include "errno_map.h"
#include "places.h"
#include "platform/common/wildcard.h"
#include "platform/os_files.h"

namespace kelvor::os {
namespace {

constexpr mode_t kNewFileMode = 0600;  // a fill file is nobody else's to read
constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

int AsDescriptor(FileHandle handle) {
  return static_cast<int>(handle);
}

WinError LastError() {
  return TranslateErrno(errno);
}

// A volume with free blocks but no free entry for one more file: Windows
// has no such state, and a full disk would end the run as a success. It is
// "too many files".
WinError CreationError(int folder) {
  struct statvfs volume;
  bool no_entry_left = errno == ENOSPC && fstatvfs(folder, &volume) == 0 && volume.f_files > 0 &&
                       volume.f_favail == 0;
  return no_entry_left ? kTooManyOpenFiles : LastError();
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

int OpenFlags(unsigned access, Disposition disposition) {
  // Never through a link in the file's own place, and never waiting on a pipe.
  int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
  if ((access & kReadAccess) && (access & kWriteAccess)) {
    flags |= O_RDWR;
  } else {
    flags |= (access & kWriteAccess) ? O_WRONLY : O_RDONLY;
  }
  if (disposition != Disposition::kOpenExisting) flags |= O_CREAT | O_EXCL;
  return flags;
}

// Opens or creates the file; what this call created gets its mode whatever
// the umask says, so that the program can always write and delete it.
Descriptor OpenInFolder(const Place& place, unsigned access, Disposition disposition) {
  int flags = OpenFlags(access, disposition);
  Descriptor file(openat(place.folder, place.leaf.c_str(), flags, kNewFileMode));
  if (!file.valid() && errno == EEXIST && disposition == Disposition::kOpenAlways) {
    file = Descriptor(openat(place.folder, place.leaf.c_str(), flags & ~(O_CREAT | O_EXCL)));
  } else if (file.valid() && (flags & O_CREAT)) {
    fchmod(file.get(), kNewFileMode);
  }
  return file;
}

// Only files are opened, never a device or a pipe; what is written must be
// the user's own plain file, without a second name through which it could
// be someone else's, and not read-only.
WinError CheckOpened(DriveHold& drive, int fd, unsigned access) {
  struct stat info;
  if (fstat(fd, &info) != 0) return LastError();
  if (!S_ISREG(info.st_mode)) return kAccessDenied;
  if (!(access & kWriteAccess)) return kSuccess;
  bool own_plain_file =
      info.st_nlink == 1 && (info.st_uid == geteuid() || !KeepsOwners(drive, info));
  return own_plain_file && !IsReadOnlyFile(info) ? kSuccess : kAccessDenied;
}

// The folder of a name that is to be deleted, and what stands at the name
// itself (a link as the link, never what it leads to).
WinError LocateToDelete(DriveHold& drive, const NativeName& name, Place* place, struct stat* info) {
  if (WinError error = Locate(drive, name, Intent::kChange, place)) return error;
  if (fstatat(place->folder, place->leaf.c_str(), info, AT_SYMLINK_NOFOLLOW) != 0) {
    return LastError();
  }
  return kSuccess;
}

// Files open without sharing take an exclusive lock, as Windows opens them.
WinError TakeSharing(int fd, Sharing sharing) {
  int lock = sharing == Sharing::kReaders ? LOCK_SH : LOCK_EX;
  if (flock(fd, lock | LOCK_NB) != 0 && errno == EWOULDBLOCK) return kSharingViolation;
  return kSuccess;
}

std::uint32_t AttributesOf(int folder, const std::string& name) {
  // A link is taken for what it is, not for what it points to: it is never
  // followed, only deleted like a file.
  struct stat info;
  if (fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(info.st_mode)) {
    return kAttrArchive;
  }
  std::uint32_t attributes = 0;
  if (S_ISDIR(info.st_mode)) attributes |= kAttrDirectory;
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= kAttrHidden;
  if (IsReadOnlyFile(info)) attributes |= kAttrReadOnly;
  return attributes == 0 ? kAttrArchive : attributes;
}

struct Search {
  DIR* folder;
  std::string pattern;
};

bool NextMatch(Search& search, FoundEntry* entry) {
  while (dirent* item = readdir(search.folder)) {
    std::string name = item->d_name;
    if (!MatchesWildcard(name, search.pattern)) continue;
    entry->name = name;
    entry->attributes = AttributesOf(dirfd(search.folder), name);
    return true;
  }
  return false;
}

}  // namespace

NativeName ToNativeName(std::string_view ansi) {
  return NativeDriveName(ansi);
}

WinError CreateFileHandle(DriveHold& drive, const NativeName& name, unsigned access,
                          Disposition disposition, Sharing sharing, FileHandle* handle) {
  *handle = kNoFile;
  Place place;
  Intent intent = (access & kWriteAccess) ? Intent::kChange : Intent::kLook;
  if (WinError error = Locate(drive, name, intent, &place)) return error;
  Descriptor file = OpenInFolder(place, access, disposition);
  if (!file.valid()) return CreationError(place.folder);
  if (WinError error = CheckOpened(drive, file.get(), access)) return error;
  if (WinError error = TakeSharing(file.get(), sharing)) return error;
  *handle = file.release();
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

namespace {

// fusefat refuses a write that a full FAT volume has no cluster for with
// EPERM, not ENOSPC. A write refused so while the volume has less room than
// the write still needed is the full disk it is.
WinError WriteError(int fd, std::size_t left) {
  int refusal = errno;
  struct statvfs volume;
  if (refusal == EPERM && fstatvfs(fd, &volume) == 0 &&
      std::uint64_t{volume.f_bavail} * volume.f_frsize < left) {
    return kDiskFull;
  }
  errno = refusal;
  return TransferError(fd);
}

// One call of ours is one whole write: direct writes first where they serve,
// then ordinary ones, looped, since write() may take less than asked.
WinError WriteWhole(int fd, const WriteSource& source, std::size_t count, std::size_t* written) {
  *written = WriteDirect(fd, source, count);
  if (WriteOrdinary(fd, source, count, written)) return kSuccess;
  return WriteError(fd, count - *written);
}

}  // namespace

WinError WriteToFile(FileHandle handle, const void* data, std::size_t count, std::size_t* written) {
  return WriteWhole(AsDescriptor(handle), {static_cast<const unsigned char*>(data), count, false},
                    count, written);
}

WinError WriteRepeatedToFile(FileHandle handle, const void* slice, std::size_t slice_size,
                             std::size_t count, std::size_t* written) {
  return WriteWhole(AsDescriptor(handle),
                    {static_cast<const unsigned char*>(slice), slice_size, true}, count, written);
}

WinError FlushToDevice(FileHandle handle) {
  if (fsync(AsDescriptor(handle)) != 0) return LastError();
  return kSuccess;
}

// The kernel starts writing the file's dirty pages back; what fails there
// shows in the flush that finishes it.
void StartFlush(DriveHold&, FileHandle handle) {
  sync_file_range(AsDescriptor(handle), 0, 0, SYNC_FILE_RANGE_WRITE);
}

WinError FinishFlush(DriveHold&, FileHandle handle) {
  return FlushToDevice(handle);
}

// The fill goes past the page cache where the filesystem takes direct
// writes, and the flush then waits only on the little the cache holds; where
// it does not (tmpfs; FUSE, which passes each write on as it is made), there
// is no device's pace to wait on.
bool FlushFinished(DriveHold&, FileHandle) {
  return true;
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

// Deleting takes no lock: nobody else can keep the program's files. Only
// this user's own are deleted, whatever their names.
WinError RemoveFile(DriveHold& drive, const NativeName& name) {
  Place place;
  struct stat info;
  if (WinError error = LocateToDelete(drive, name, &place, &info)) return error;
  bool own = info.st_uid == geteuid() || !KeepsOwners(drive, info);
  if (S_ISDIR(info.st_mode) || IsReadOnlyFile(info) || !own) {
    return kAccessDenied;
  }
  if (unlinkat(place.folder, place.leaf.c_str(), 0) != 0) return LastError();
  return kSuccess;
}

WinError MakeDirectory(DriveHold& drive, const NativeName& name) {
  Place place;
  if (WinError error = Locate(drive, name, Intent::kChange, &place)) return error;
  Descriptor made;
  return MakeOwnFolder(place.folder, place.leaf, &made) ? kSuccess : CreationError(place.folder);
}

WinError StoreUncompressed(DriveHold& drive, const NativeName& folder, bool uncompressed) {
  Place place;
  if (WinError error = LocateFolder(drive, folder, &place)) return error;
  Descriptor opened(openat(place.folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  int flags = 0;
  if (!opened.valid() || ioctl(opened.get(), FS_IOC_GETFLAGS, &flags) != 0) return LastError();
  // New files and folders in it take the flag on.
  flags = uncompressed ? flags | FS_NOCOW_FL : flags & ~FS_NOCOW_FL;
  return ioctl(opened.get(), FS_IOC_SETFLAGS, &flags) == 0 ? kSuccess : LastError();
}

// Only the folder that the run worked in is removed: one that someone has
// put in its place since (a folder of theirs, under the same name) is not.
WinError DeleteDirectory(DriveHold& drive, const NativeName& name) {
  Place place, own;
  struct stat info, held;
  if (WinError error = LocateToDelete(drive, name, &place, &info)) return error;
  if (!S_ISDIR(info.st_mode)) return kDirectory;
  if (WinError error = LocateFolder(drive, name, &own)) return error;
  if (fstat(own.folder, &held) != 0) return LastError();
  if (held.st_dev != info.st_dev || held.st_ino != info.st_ino) return kAccessDenied;
  if (unlinkat(place.folder, place.leaf.c_str(), AT_REMOVEDIR) != 0) return LastError();
  ForgetHeldFolder(drive, name);
  return kSuccess;
}

bool FindFirstEntry(DriveHold& drive, const NativeName& pattern, FindHandle* search,
                    FoundEntry* entry) {
  Place place;
  if (Locate(drive, pattern, Intent::kLook, &place) != kSuccess) return false;
  int listing = openat(place.folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return false;
  DIR* folder = fdopendir(listing);
  if (!folder) {
    close(listing);
    return false;
  }
  auto* state = new Search{folder, place.leaf};
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
