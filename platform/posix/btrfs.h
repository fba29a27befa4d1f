// What btrfs tells any user of a mounted volume: its snapshots and the
// compression that new files in a folder take on.
#pragma once

#include <cstdint>
#include <string>

namespace kelvor::os {

struct BtrfsSnapshots {
  std::uint32_t found = 0;  // snapshots among the subvolumes reached
  bool complete = false;    // every subvolume of the volume was reached
};
// Walks the subvolumes below the mounted one. Without root's rights only
// those below it are to be reached: when the mount is not the volume's top,
// snapshots elsewhere may go unfound.
BtrfsSnapshots FindBtrfsSnapshots(const std::string& mount_point);

// The setting by which new files in `folder` inherit compression
// ("btrfs.compression=zstd", "the compression flag"), or empty for none.
std::string InheritedCompression(const std::string& folder);

}  // namespace kelvor::os
