// What Kelvor knows about the storage under a drive, and what a wipe of its
// free space will and will not reach there, in plain words: for the storage
// check, the warnings at a command-line run's start and the run's record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/run.h"
#include "platform/os_storage.h"
#include "platform/os_volume.h"

namespace kelvor::storage {

struct VolumeStorage {
  os::VolumeFacts volume;
  os::MediumFacts medium;
  os::StorageFacts storage;
};
VolumeStorage QueryVolumeStorage(std::string_view drive_root);

// One sentence a finding: what a wipe with `type` leaves unreached, or what
// the run does about it (`run_trims`: whether it trims the free space after
// the deletion). None where it reaches all of the free space.
std::vector<std::string> Findings(const VolumeStorage& facts, engine::WipeType type,
                                  bool run_trims);

// The storage check's lines: one a fact ("filesystem: ext4"), then the findings.
std::vector<std::string> CheckLines(std::string_view drive_root, const VolumeStorage& facts,
                                    engine::WipeType type);

}  // namespace kelvor::storage
