// The wipe run: fills the free space of one drive with fill files, then
// removes them again.
#pragma once

#include "engine/clock.h"
#include "engine/run.h"
#include "engine/run_window.h"

namespace kelvor::engine {

inline constexpr const char* kPatternKeyPath = "HKEY_CURRENT_USER\\Control Panel\\Desktop";
inline constexpr const char* kPatternValueName = "Wallpaper";

// Returns after the end-of-run sequence. A Cancel inside one of the run's
// pump steps ends the program instead, so the run never continues after it.
RunOutcome RunWipe(Run& run, RunWindow& window, Clock& clock);

}  // namespace kelvor::engine
