// Writing large amounts past the page cache, straight to the device, with
// several writes in flight so that the device never waits on the program.
#pragma once

#include <cstddef>

namespace kelvor::os {

// What to write: `count` bytes from `data`, or, where `repeated`, `count`
// bytes of the one value that fills the `size` bytes at `data`.
struct WriteSource {
  const unsigned char* data;
  std::size_t size;
  bool repeated;

  // Where the bytes from stream position `at` on lie, and how many of them
  // lie there in a row.
  const unsigned char* At(std::size_t at) const { return repeated ? data : data + at; }
  std::size_t RunAt(std::size_t at) const { return repeated ? size : size - at; }
};

// Ordinary writes of the source's bytes from stream position `*done` up to
// `count`, looped, since write() may take fewer than asked; `*done` counts
// what was written. False at the first write that fails (errno says why; a
// write that takes nothing is a full disk, ENOSPC).
bool WriteOrdinary(int fd, const WriteSource& source, std::size_t count, std::size_t* done);

// Writes as much of `count` bytes of `source` as it can at the descriptor's
// position with direct I/O, in aligned slices taken straight from the source
// where it is aligned (through small aligned buffers where it is not), and
// returns how many it wrote; the position is then just after them. What is
// left (an unaligned tail, or everything after a refusal such as a full disk
// or a filesystem without direct I/O) is for ordinary writes, which then fill
// the last blocks or report the real error. Small writes are left alone.
std::size_t WriteDirect(int fd, const WriteSource& source, std::size_t count);

}  // namespace kelvor::os
