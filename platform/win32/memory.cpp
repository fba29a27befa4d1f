#include <windows.h>

#include "platform/os_memory.h"

namespace kelvor::os {

// Large pages need a privilege that a user seldom holds (SeLockMemoryPrivilege),
// so the buffer has ordinary ones, reserved and committed at once.
void* AllocateBuffer(std::size_t bytes) {
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreeBuffer(void* buffer) {
  if (buffer) VirtualFree(buffer, 0, MEM_RELEASE);
}

}  // namespace kelvor::os
