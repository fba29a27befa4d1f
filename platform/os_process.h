// Process primitives of the OS seam.
#pragma once

namespace kelvor::os {

// Ends the process at once with the given exit code, without unwinding.
[[noreturn]] void EndProcess(int exit_code);

}  // namespace kelvor::os
