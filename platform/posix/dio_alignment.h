// What direct I/O asks of a file's writes: where they may start in memory
// and in the file.
#pragma once

#include <cstddef>

namespace kelvor::os {

struct DirectAlignment {
  std::size_t memory = 0;  // 0: the file takes no direct I/O
  std::size_t offset = 0;
};

// As the file reports it (statx, STATX_DIOALIGN), the offset raised to the
// filesystem's block (up to a page); the page size for both where the kernel
// cannot tell.
DirectAlignment DirectAlignmentOf(int fd);

}  // namespace kelvor::os
