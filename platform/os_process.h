// Process primitives of the OS seam.
#pragma once

#include <cstdio>
#include <string_view>

namespace kelvor::os {

// Ends the process at once with the given exit code, without unwinding.
[[noreturn]] void EndProcess(int exit_code);

// Interrupt requests (Ctrl-C, termination, hang-up and the processor-time
// limit on POSIX). After the first one, PendingInterrupt gives its signal
// number and later ones are ignored. A write past the file-size limit then
// fails instead of ending the program.
void CatchInterrupts();
int PendingInterrupt();

// Whether the process may hold `needed` open files at once (POSIX: raising
// its soft limit toward the hard one where that is lower).
bool MakeRoomForDescriptors(unsigned needed);

// Where the caller gave the program no output of its own, the console of the
// process that started it (a command prompt), when it has one, becomes the
// program's standard output and error. POSIX programs always have theirs.
void UseCallersConsole();

// Whether standard error is an interactive terminal.
bool ErrorStreamIsTerminal();
// The width of the terminal that `stream` writes to; 0 when it is none.
int TerminalColumns(std::FILE* stream);

// Writes `text` to `stream` unless that would keep the program waiting (a
// pipe that nobody reads, a terminal stopped with Ctrl-S, a background job
// on a terminal that stops writers): then the text, or what did not fit, is
// dropped. For status lines, which must never keep a full disk waiting.
void WriteWithoutWaiting(std::FILE* stream, std::string_view text);

}  // namespace kelvor::os
