// The wipe run: fills the free space of one drive with fill files, then
// removes them again.
#pragma once

#include <string>

#include "engine/chunks.h"
#include "engine/run_window.h"

namespace kelvor::engine {

inline constexpr const char* kTempFolderName = "~KelvorTemp";
inline constexpr const char* kPatternKeyPath = "HKEY_CURRENT_USER\\Control Panel\\Desktop";
inline constexpr const char* kPatternValueName = "Wallpaper";

// drive_text begins with the drive letter ("C:"); only that letter is used.
// Returns after the end-of-run sequence. A Cancel inside one of the run's pump
// steps ends the program instead, so the run never continues after it.
void RunWipe(const std::string& drive_text, WipeType wipe_type, RunWindow& window, Clock& clock);

}  // namespace kelvor::engine
