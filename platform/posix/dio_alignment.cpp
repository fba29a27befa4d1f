// The kernel's own statx structure, which knows the direct I/O alignments;
// the C library's does not yet. So this file includes no <sys/stat.h>.
#include "dio_alignment.h"

#include <fcntl.h>
#include <linux/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>

namespace kelvor::os {

DirectAlignment DirectAlignmentOf(int fd) {
  auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  struct statx info = {};
  if (syscall(SYS_statx, fd, "", AT_EMPTY_PATH, STATX_DIOALIGN, &info) != 0 ||
      !(info.stx_mask & STATX_DIOALIGN)) {
    return {page, page};
  }
  // Writes start and end on the filesystem's blocks (up to a page), not just
  // where direct I/O allows: one that starts or ends inside a block has the
  // filesystem zero the rest of it and wait for every write in flight.
  std::size_t block = std::min<std::size_t>(info.stx_blksize, page);
  return {info.stx_dio_mem_align, std::max<std::size_t>(info.stx_dio_offset_align, block)};
}

}  // namespace kelvor::os
