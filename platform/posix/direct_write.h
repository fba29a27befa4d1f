// Writing large amounts past the page cache, straight to the device.
#pragma once

#include <cstddef>

namespace kelvor::os {

// Writes as much of `count` bytes as it can at the descriptor's position with
// direct I/O, in aligned slices, and returns how many it wrote. What is left
// (an unaligned head or tail, or everything after a refusal such as a full
// disk or a filesystem without direct I/O) is for ordinary writes, which then
// fill the last blocks or report the real error. Small writes are left alone.
std::size_t WriteDirect(int fd, const unsigned char* bytes, std::size_t count);

}  // namespace kelvor::os
