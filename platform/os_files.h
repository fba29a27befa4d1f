// File and folder primitives of the OS seam. Each returns the Windows error
// code of the call (kSuccess when it worked), as GetLastError would give it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/os_drives.h"
#include "platform/win_errors.h"

namespace kelvor::os {

// A name as the OS takes it: UTF-16 on Windows, a mapped POSIX path elsewhere.
#ifdef _WIN32
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif
using NativeName = std::basic_string<NativeChar>;

// Converts the program's 8-bit text (ANSI code page) to a native name. On POSIX
// "D:\x\y" becomes "D:/x/y", which the file calls reach from the mount point
// of drive D.
NativeName ToNativeName(std::string_view ansi);

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

enum Access : unsigned { kReadAccess = 1, kWriteAccess = 2 };
enum class Disposition {
  kOpenAlways,    // open the file, or create it when it is missing
  kOpenExisting,  // the file must exist
  kCreateNew,     // the file must not exist: it is created new
};
enum class Sharing {
  kNone,     // a second open of the file fails with kSharingViolation until this one is closed
  kReaders,  // others may read the file meanwhile, but not write it
};

// What is opened for writing must be a plain file with no second name (no
// hard link), in a folder that no link leads to; on POSIX it must be the
// user's own, in a folder that is the user's own. Anything else in its place
// is refused, never written through.
WinError CreateFileHandle(DriveHold& drive, const NativeName& name, unsigned access,
                          Disposition disposition, Sharing sharing, FileHandle* handle);
WinError FileIsDisk(FileHandle handle, bool* disk);
WinError SetPosition(FileHandle handle, std::uint64_t offset);
WinError TruncateAtPosition(FileHandle handle);
WinError ReadFromFile(FileHandle handle, void* buffer, std::size_t count, std::size_t* read);
WinError WriteToFile(FileHandle handle, const void* data, std::size_t count, std::size_t* written);
// Writes `count` bytes of one value, as one write: the `slice_size` bytes at
// `slice` all hold it, and serve as often as it takes.
WinError WriteRepeatedToFile(FileHandle handle, const void* slice, std::size_t slice_size,
                             std::size_t count, std::size_t* written);
WinError FlushToDevice(FileHandle handle);
// The same flush in two steps, so that the program writes on while the
// device works: StartFlush begins sending what the file holds so far to the
// device and returns at once; FinishFlush waits until that is there, and
// reports the failure of either step. A drive hold has one flush under way
// at most.
void StartFlush(DriveHold& drive, FileHandle handle);
WinError FinishFlush(DriveHold& drive, FileHandle handle);
// Whether FinishFlush would return without waiting on the device.
bool FlushFinished(DriveHold& drive, FileHandle handle);
WinError QueryFileSize(FileHandle handle, std::uint64_t* size);
WinError CloseFileHandle(FileHandle handle);

// Reading back what a run wrote, as far past the OS's cache as it lets a
// program. Offsets and counts of the reads are multiples of
// kReadBackAlignment (a read ends early only at the end of the file), into
// page-aligned memory: what every direct read asks.
inline constexpr std::size_t kReadBackAlignment = 1 << 20;
enum class ReadBackPath {
  kDirect,        // from the device, past the OS's cache
  kThroughCache,  // the OS reads through its cache (emptied of the file first where it can be)
  kMemory,        // the volume lives in memory: there is no device to reach
};
WinError OpenForReadBack(DriveHold& drive, const NativeName& name, FileHandle* handle,
                         ReadBackPath* path);
WinError ReadAt(FileHandle handle, std::uint64_t offset, void* buffer, std::size_t count,
                std::size_t* read);
// The bytes the volume gave the file: less than its length where the
// filesystem compressed it, deduplicated it or left holes.
WinError QueryAllocatedSize(FileHandle handle, std::uint64_t* bytes);

// Tells the device, just before a fill file is deleted, that its blocks hold
// nothing worth keeping (Windows: FSCTL_FILE_LEVEL_TRIM, which NTFS takes on
// Windows 8 and later, for a hint the device may act on), and gives the bytes
// told of. kNotSupported where the volume cannot (FAT, exFAT; Wine) and on
// Linux, which trims the whole volume after the deletion instead.
WinError TrimFile(DriveHold& drive, const NativeName& name, std::uint64_t* trimmed);

// Names on the held drive go to its volume (DriveHold).
WinError RemoveFile(DriveHold& drive, const NativeName& name);
WinError MakeDirectory(DriveHold& drive, const NativeName& name);
WinError DeleteDirectory(DriveHold& drive, const NativeName& name);
// With `uncompressed`, asks the volume to store the files made in the folder
// from now on as they are written: NTFS folder compression off; on btrfs no
// copy-on-write, the one flag that stops compression even where the mount
// forces it. Without, gives btrfs its usual kind of file again (only those
// may live inside the metadata); NTFS keeps the folder uncompressed.
// Volumes that can do neither refuse (kNotSupported or their own error).
WinError StoreUncompressed(DriveHold& drive, const NativeName& folder, bool uncompressed);

// Windows file attribute bits, as directory searches report them.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrVolumeLabel = 0x08;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;

struct FoundEntry {
  NativeName name;  // the name alone, without its folder
  std::uint32_t attributes = 0;
};

using FindHandle = std::intptr_t;

// Directory search with the wildcards "*" and "?". FindFirstEntry returns false
// when nothing matches; then there is no handle to end.
bool FindFirstEntry(DriveHold& drive, const NativeName& pattern, FindHandle* search,
                    FoundEntry* entry);
bool FindNextEntry(FindHandle search, FoundEntry* entry);
void EndFind(FindHandle search);

}  // namespace kelvor::os
