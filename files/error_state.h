// The error state of one procedure: the recorded error number, whether an
// error is pending, and whether an error trap is set.
//
// A procedure with a trap writes its trapped phase as a function that checks
// after every statement that can fail and returns at once when Check() says
// so; what follows that function is the trap's target.
#pragma once

#include "files/error_numbers.h"

namespace kelvor::files {

inline constexpr int kFatalExitCode = 255;

class ErrorState {
 public:
  // Records a failure. A fatal number (241 and up) ends the process with exit
  // code 255 at once; 0 is recorded as 51.
  void Record(ErrorNumber number);
  // Records the error number of a failed OS call; a success records nothing.
  void RecordOsError(os::WinError code);

  // The check after a statement: clears a pending error and says whether the
  // procedure must now continue at its error trap.
  bool Check();

  ErrorNumber Number() const { return number_; }
  void Clear();
  void SetTrap();
  bool HasTrap() const { return trap_set_; }

 private:
  ErrorNumber number_ = kNoError;
  bool pending_ = false;
  bool trap_set_ = false;
};

}  // namespace kelvor::files
