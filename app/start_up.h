// The program's entry operation: window mode for an empty command tail,
// otherwise one unattended wipe run of the drive the first argument names.
#pragma once

#include <cstdint>
#include <string>

namespace kelvor::app {

inline constexpr const char* kVirtualMachineWarning =
    "Kelvor thinks it is running inside a Virtial Machine. Please be aware that depending on the "
    "details of how the VM works, wiping operations within the VM may be ineffective in the real "
    "world.";
inline constexpr std::uint32_t kWarningStyle = 0x30;  // MB_ICONEXCLAMATION, OK only

// Returns the process exit code. command_tail is the command line without
// the program name.
int StartProgram(const std::string& command_tail);

// What start-up does before it looks at the command tail: the common
// controls and the virtual-machine guess, which it returns.
bool PrepareProgram();

}  // namespace kelvor::app
