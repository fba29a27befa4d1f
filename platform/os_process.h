// Process primitives of the OS seam.
#pragma once

namespace kelvor::os {

// Ends the process at once with the given exit code, without unwinding.
[[noreturn]] void EndProcess(int exit_code);

// Interrupt requests (Ctrl-C, termination, hang-up on POSIX). After the first
// one, PendingInterrupt gives its signal number and later ones are ignored.
void CatchInterrupts();
int PendingInterrupt();

// Whether standard error is an interactive terminal.
bool ErrorStreamIsTerminal();

}  // namespace kelvor::os
