// The outcome of a file or folder operation: the error number that a report
// shows (kNoError when it worked) and the OS code it was mapped from.
//
// A procedure with an error trap writes its trapped phase as a function that
// returns the first failed status at once; what follows that function is the
// trap's target. Before the trap is set, a failure is only kept.
#pragma once

#include "files/error_numbers.h"

namespace kelvor::files {

inline constexpr int kFatalExitCode = 255;

struct [[nodiscard]] Status {
  ErrorNumber number = kNoError;
  os::WinError os_code = os::kSuccess;  // 0 when the failure is the program's own

  bool ok() const { return number == kNoError; }
  bool failed() const { return number != kNoError; }
};

inline constexpr Status kOk{};

// A failure of the program's own. A fatal number (241 and up) ends the
// process with exit code 255 at once; 0 counts as 51.
Status Failure(ErrorNumber number);
// The status of an OS call that returned `code`, mapped to its error number.
Status FromOs(os::WinError code);

}  // namespace kelvor::files
