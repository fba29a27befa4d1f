// State shared by the run and the window's handlers, all on the one thread.
#pragma once

#include <cstdint>
#include <string>

namespace kelvor::engine {

inline constexpr std::int32_t kPaused = 1;  // the pause flag's value while paused

struct ProgramState {
  std::int32_t pause_flag = 0;    // kPaused or 0; the Pause/Resume handler toggles it
  std::string temp_folder_path;   // of the current or last run, "C:\~KelvorTemp\"
  bool temp_folder_made = false;  // the current or last run made that folder itself
  std::int32_t vm_flag = 0;       // 1 = start-up's probe guessed a virtual machine
};

ProgramState& Program();

}  // namespace kelvor::engine
