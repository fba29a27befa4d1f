// The program's entry operation: window mode for an empty command tail,
// otherwise one unattended wipe run of the drive the first argument names.
#pragma once

#include <string>

#include "engine/run_window.h"

namespace kelvor::ui {

// Exit codes of command-line mode.
inline constexpr int kExitClean = 0;           // the run showed no error report
inline constexpr int kExitReported = 1;        // the run showed an error report
inline constexpr int kExitDriveNotListed = 2;  // nothing was touched

inline constexpr const char* kVirtualMachineWarning =
    "Kelvor thinks it is running inside a Virtial Machine. Please be aware that depending on the "
    "details of how the VM works, wiping operations within the VM may be ineffective in the real "
    "world.";
inline constexpr std::uint32_t kWarningStyle = 0x30;  // MB_ICONEXCLAMATION, OK only

// Returns the process exit code. command_tail is the command line without
// the program name.
int StartProgram(const std::string& command_tail);

// What start-up does before it looks at the command tail: the common
// controls, the flags, the virtual-machine guess and the registry reader.
void PrepareProgram();

// Command-line mode on its own, with the window the run reports to (errors
// still appear) and the clock it measures with.
int RunCommandLine(const std::string& command_tail, engine::RunWindow& window,
                   engine::Clock& clock);

}  // namespace kelvor::ui
