// What the bench's own programs share with Kelvor's fill: the chunk's length,
// and memory in huge pages, as Kelvor allocates its chunk and copies.
#pragma once

#include <sys/mman.h>

#include <cstdlib>

constexpr std::size_t kHugePage = 2 << 20;
constexpr std::size_t kChunkBytes = 107374182;  // a gigabyte part's chunk

// `bytes` rounded up to whole huge pages, not yet touched; exits without them.
inline char* HugePages(std::size_t bytes) {
  std::size_t whole = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  auto* memory = static_cast<char*>(std::aligned_alloc(kHugePage, whole));
  if (!memory) std::exit(1);
  madvise(memory, whole, MADV_HUGEPAGE);
  return memory;
}
