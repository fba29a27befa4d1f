// One wipe run: the drive it holds, the wipe type, its temporary folder, its
// open files, the failure it recorded and its pseudo-random generator. Nothing of a run is
// process-wide: two runs are two objects.
#pragma once

#include <cstdint>
#include <string>

#include "engine/random_bytes.h"
#include "files/file_access.h"
#include "platform/os_drives.h"
#include "platform/os_files.h"

namespace kelvor::engine {

using WipeType = std::int32_t;  // any value other than these behaves as kAllOnes
inline constexpr WipeType kAllOnes = 0;
inline constexpr WipeType kAllZeros = 1;
inline constexpr WipeType kBinaryBlocks = 2;

// How much of the fill a run reads back before it deletes it.
enum class VerifyMode {
  kSample,  // of each fill file its first and last MiB and at least 1% more, placed at random
  kFull,    // every byte
  kOff,
};

inline constexpr const char* kTempFolderName = "~KelvorTemp";
inline constexpr const char* kFillFilePattern = "Kelvor*.dat";

struct Run {
  // `letter` is the drive's ('C'); nothing is touched before RunWipe.
  Run(char letter, WipeType wipe_type, VerifyMode verify_mode = VerifyMode::kSample,
      files::WriteFault write_fault = {})
      : wipe_type(wipe_type),
        verify_mode(verify_mode),
        drive_root{letter, ':'},
        temp_folder_path(drive_root + "\\" + kTempFolderName + "\\"),
        files(drive, std::move(write_fault)) {}
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  const WipeType wipe_type;
  const VerifyMode verify_mode;
  const std::string drive_root;        // "C:"
  const std::string temp_folder_path;  // "C:\~KelvorTemp\"
  bool temp_folder_made = false;       // the run made that folder itself
  bool trim = true;                    // tell the device of the freed blocks at the end
  os::DriveHold drive;                 // resolved once, when the run starts
  files::FileAccess files;             // on the held drive
  files::Status error;                 // what the writing recorded
  RandomGenerator random;              // seeded when the run starts
  // The fill file being read back, open outside `files`: a cancel closes it
  // first, or Windows could not delete it and its folder at once.
  os::FileHandle reading_back = os::kNoFile;
};

}  // namespace kelvor::engine
