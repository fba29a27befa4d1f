// A fill file's data goes through the page cache only to be flushed at once:
// copying it there costs more CPU time than the device takes to write it.
// Direct I/O skips the page cache, and each slice is on the device when its
// write returns.
#include "direct_write.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace kelvor::os {
namespace {

constexpr std::size_t kAlignment = 4096;      // whole pages: no page is shared with buffered writes
constexpr std::size_t kSliceBytes = 4 << 20;  // large enough to keep the device busy
constexpr std::size_t kSmallestDirectWrite = 1 << 20;  // below this, copying costs little

struct FreeDeleter {
  void operator()(unsigned char* p) const { std::free(p); }
};

// Direct I/O needs an aligned buffer; the caller's data is copied through it.
unsigned char* SliceBuffer() {
  static std::unique_ptr<unsigned char, FreeDeleter> buffer(
      static_cast<unsigned char*>(std::aligned_alloc(kAlignment, kSliceBytes)));
  return buffer.get();
}

bool SetDirect(int fd, bool direct) {
  int flags = fcntl(fd, F_GETFL);
  if (flags < 0) return false;
  flags = direct ? (flags | O_DIRECT) : (flags & ~O_DIRECT);
  return fcntl(fd, F_SETFL, flags) == 0;
}

// Ordinary writes of the bytes before the next aligned file position.
bool WriteUpToAlignment(int fd, const unsigned char* bytes, std::size_t count, std::size_t* done) {
  off_t here = lseek(fd, 0, SEEK_CUR);
  if (here < 0) return false;
  std::size_t head = (kAlignment - static_cast<std::size_t>(here) % kAlignment) % kAlignment;
  while (*done < head && *done < count) {
    ssize_t put = write(fd, bytes + *done, head - *done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    *done += static_cast<std::size_t>(put);
  }
  return *done == head;
}

}  // namespace

std::size_t WriteDirect(int fd, const unsigned char* bytes, std::size_t count) {
  std::size_t done = 0;
  if (count < kSmallestDirectWrite || !SliceBuffer()) return 0;
  if (!WriteUpToAlignment(fd, bytes, count, &done) || !SetDirect(fd, true)) return done;
  while (count - done >= kAlignment) {
    std::size_t slice = std::min(kSliceBytes, (count - done) / kAlignment * kAlignment);
    std::memcpy(SliceBuffer(), bytes + done, slice);
    ssize_t put = write(fd, SliceBuffer(), slice);
    if (put < 0 && errno == EINTR) continue;
    // A short or refused direct write ends the direct part: the ordinary
    // writes that follow find out why, or use the last unaligned blocks.
    if (put <= 0) break;
    done += static_cast<std::size_t>(put);
    if (static_cast<std::size_t>(put) < slice) break;
  }
  SetDirect(fd, false);
  return done;
}

}  // namespace kelvor::os
