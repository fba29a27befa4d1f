#include <windows.h>

#include "platform/os_process.h"

namespace kelvor::os {

void EndProcess(int exit_code) {
  ExitProcess(static_cast<UINT>(exit_code));
}

}  // namespace kelvor::os
