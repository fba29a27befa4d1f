#include "files/error_state.h"

#include "platform/os_process.h"

namespace kelvor::files {

void ErrorState::Record(ErrorNumber number) {
  if (number >= kFirstFatalError) os::EndProcess(kFatalExitCode);
  number_ = number == kNoError ? kInternalError : number;
  pending_ = true;
}

void ErrorState::RecordOsError(os::WinError code) {
  if (code != os::kSuccess) Record(MapOsError(code));
}

bool ErrorState::Check() {
  bool was_pending = pending_;
  pending_ = false;
  return was_pending && trap_set_;
}

void ErrorState::Clear() {
  number_ = kNoError;
  pending_ = false;
}

void ErrorState::SetTrap() {
  trap_set_ = true;
  pending_ = false;
}

}  // namespace kelvor::files
