// Reading back a fill file on POSIX: a second, read-only descriptor with
// O_DIRECT, which bypasses the page cache. Where the filesystem refuses
// direct reads, the file's pages are dropped from the cache first and read
// through it.
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "errno_map.h"
#include "places.h"
#include "platform/os_files.h"

namespace kelvor::os {
namespace {

constexpr int kReadBackFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
constexpr std::size_t kProbeBytes = 4096;  // a block that every direct read takes
constexpr std::uint64_t kBytesPerStatBlock = 512;

bool LivesInMemory(int fd) {
  struct statfs volume;
  return fstatfs(fd, &volume) == 0 &&
         (volume.f_type == TMPFS_MAGIC || volume.f_type == RAMFS_MAGIC);
}

// Some filesystems take O_DIRECT at the open and refuse it at the read
// (EINVAL): one aligned read of the first block tells.
bool ReadsDirectly(int fd) {
  struct FreeMemory {
    void operator()(void* memory) const { std::free(memory); }
  };
  std::unique_ptr<void, FreeMemory> block(std::aligned_alloc(kProbeBytes, kProbeBytes));
  return block && pread(fd, block.get(), kProbeBytes, 0) >= 0;
}

}  // namespace

WinError OpenForReadBack(DriveHold& drive, const NativeName& name, FileHandle* handle,
                         ReadBackPath* path) {
  *handle = kNoFile;
  Place place;
  if (WinError error = Locate(drive, name, Intent::kLook, &place)) return error;
  Descriptor file(openat(place.folder, place.leaf.c_str(), kReadBackFlags | O_DIRECT));
  if (file.valid() && LivesInMemory(file.get())) {
    *path = ReadBackPath::kMemory;
  } else if (file.valid() && ReadsDirectly(file.get())) {
    *path = ReadBackPath::kDirect;
  } else {
    file = Descriptor(openat(place.folder, place.leaf.c_str(), kReadBackFlags));
    if (!file.valid()) return TranslateErrno(errno);
    // Only clean pages leave the cache: what is still dirty is written first.
    fdatasync(file.get());
    posix_fadvise(file.get(), 0, 0, POSIX_FADV_DONTNEED);
    *path = LivesInMemory(file.get()) ? ReadBackPath::kMemory : ReadBackPath::kThroughCache;
  }
  struct stat info;
  if (fstat(file.get(), &info) != 0) return TranslateErrno(errno);
  if (!S_ISREG(info.st_mode)) return kAccessDenied;
  *handle = file.release();
  return kSuccess;
}

// One read: a regular file gives less than asked only at its end, and a
// second direct read after a short one would start off the alignment.
WinError ReadAt(FileHandle handle, std::uint64_t offset, void* buffer, std::size_t count,
                std::size_t* read) {
  *read = 0;
  ssize_t got = 0;
  do {
    got = pread(static_cast<int>(handle), buffer, count, static_cast<off_t>(offset));
  } while (got < 0 && errno == EINTR);
  if (got < 0) return TranslateErrno(errno);
  *read = static_cast<std::size_t>(got);
  return kSuccess;
}

WinError QueryAllocatedSize(FileHandle handle, std::uint64_t* bytes) {
  struct stat info;
  *bytes = 0;
  if (fstat(static_cast<int>(handle), &info) != 0) return TranslateErrno(errno);
  *bytes = static_cast<std::uint64_t>(info.st_blocks) * kBytesPerStatBlock;
  return kSuccess;
}

}  // namespace kelvor::os
