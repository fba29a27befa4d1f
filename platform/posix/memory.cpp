#include <sys/mman.h>

#include <cstdlib>

#include "platform/os_memory.h"

namespace kelvor::os {
namespace {

constexpr std::size_t kHugePageBytes = 2 << 20;

}  // namespace

// Huge pages are transparent: a buffer aligned to them and marked takes them
// where the kernel has them to give (they may be off, or memory too
// fragmented), and ordinary pages otherwise, with the same bytes.
void* AllocateBuffer(std::size_t bytes) {
  std::size_t whole = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
  void* buffer = std::aligned_alloc(kHugePageBytes, whole);
  if (buffer) (void)madvise(buffer, whole, MADV_HUGEPAGE);
  return buffer;
}

void FreeBuffer(void* buffer) {
  std::free(buffer);
}

}  // namespace kelvor::os
