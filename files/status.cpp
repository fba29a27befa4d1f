#include "files/status.h"

#include "platform/os_process.h"

namespace kelvor::files {
namespace {

Status Checked(Status status) {
  if (status.number >= kFirstFatalError) os::EndProcess(kFatalExitCode);
  return status;
}

}  // namespace

Status Failure(ErrorNumber number) {
  return Checked({number == kNoError ? kInternalError : number, os::kSuccess});
}

Status FromOs(os::WinError code) {
  if (code == os::kSuccess) return kOk;
  return Checked({MapOsError(code), code});
}

}  // namespace kelvor::files
