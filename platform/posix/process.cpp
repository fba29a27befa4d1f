#include <unistd.h>

#include "platform/os_process.h"

namespace kelvor::os {

void EndProcess(int exit_code) {
  _exit(exit_code);
}

}  // namespace kelvor::os
