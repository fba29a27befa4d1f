// Drive queries of the OS seam. Drives are named by their root, "C:".
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/win_errors.h"

namespace kelvor::os {

// Drive-type codes, as GetDriveTypeA gives them.
inline constexpr unsigned kDriveUnknown = 0;
inline constexpr unsigned kDriveNoRootDir = 1;
inline constexpr unsigned kDriveRemovable = 2;
inline constexpr unsigned kDriveFixed = 3;
inline constexpr unsigned kDriveRemote = 4;
inline constexpr unsigned kDriveCdRom = 5;
inline constexpr unsigned kDriveRamDisk = 6;

// The drive of one run, resolved once when the run starts (HoldDrive): its
// names then lead to that volume for the whole run, whatever is mounted or
// removed meanwhile, and the folders the run checked stay the ones it works
// in. A hold that holds nothing (made, never given to HoldDrive) resolves
// every name when it is used: for files that belong to no run.
class DriveHold {
 public:
  DriveHold();
  ~DriveHold();
  DriveHold(DriveHold&&) noexcept;
  DriveHold& operator=(DriveHold&&) noexcept;

  // A hold that was moved from may only be destroyed or given a new one.
  struct State;  // each platform's own
  State& state() { return *state_; }

 private:
  std::unique_ptr<State> state_;
};

// The type of the drive at a root path such as "C:\".
unsigned QueryDriveType(std::string_view root_path);

// The free bytes of the volume that this process may write (Windows' "total
// number of free bytes"). On failure *total_free is left as it was.
WinError QueryFreeBytes(DriveHold& drive, std::string_view drive_root, std::uint64_t* total_free);

// Resolves the drive of a run into `hold` (which lets go of what it held
// before). On POSIX a drive that is no mounted volume (a plain folder) names
// nothing through the hold. Windows holds the folders as the run checks them.
WinError HoldDrive(std::string_view drive_root, DriveHold* hold);

// Has the filesystem write what its journal holds to its home blocks now,
// before the fill files are deleted. ext4 may write a block that a fill file
// took for its own bookkeeping (the index of its extents) only to the
// journal; deleting the file cancels the home write, and the block keeps
// what a deleted file left in it. Where the filesystem has no such request
// (or, on Linux, without root's rights) nothing happens.
void CheckpointJournal(DriveHold& drive, std::string_view drive_root);

// Has the journal's old contents overwritten where the filesystem keeps
// them in a ring that only newer changes reach (XFS's log, which keeps
// copies of folder blocks and so the names of deleted files), by changes
// made in the program's own folder `folder_path`. Bounded in time; nothing
// happens elsewhere.
void OverwriteJournal(DriveHold& drive, std::string_view folder_path);

// Tells the device which of the volume's blocks are free now, so that flash
// can erase them (Linux: FITRIM, root only), and gives the bytes that the
// filesystem says it told of. kAccessDenied without the rights;
// kNotSupported where the volume or its device cannot, and on Windows, where
// NTFS tells the device of what a deletion frees by itself.
WinError TrimFreeSpace(DriveHold& drive, std::string_view drive_root, std::uint64_t* trimmed);

}  // namespace kelvor::os
