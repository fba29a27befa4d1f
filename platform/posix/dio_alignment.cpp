// The kernel's own statx structure, which knows the direct I/O alignments;
// the C library's does not yet. So this file includes no <sys/stat.h>.
#include "dio_alignment.h"

#include <fcntl.h>
#include <linux/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kelvor::os {

DirectAlignment DirectAlignmentOf(int fd) {
  auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  struct statx info = {};
  if (syscall(SYS_statx, fd, "", AT_EMPTY_PATH, STATX_DIOALIGN, &info) != 0 ||
      !(info.stx_mask & STATX_DIOALIGN)) {
    return {page, page};
  }
  return {info.stx_dio_mem_align, info.stx_dio_offset_align};
}

}  // namespace kelvor::os
