// A fill file's data goes through the page cache only to be flushed at once:
// copying it there costs more CPU time than the device takes to write it.
// Direct I/O skips the page cache, and a slice is on the device when its
// write completes. Several slices are kept in flight (io_uring), so that the
// device always has the next one when it finishes one.
#include "direct_write.h"

#include <fcntl.h>
#include <liburing.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

#include "dio_alignment.h"
#include "platform/os_memory.h"

namespace kelvor::os {
namespace {

constexpr std::size_t kSliceBytes = 4 << 20;  // one write to the device
constexpr unsigned kInFlight = 8;             // slices on their way at once
// A slice that goes through an aligned copy is shorter, 1 MiB: the eight
// copies then take 8 MiB, which are most likely still in the processor's
// cache when the device's worker reads them, where eight of 4 MiB (32 MiB)
// are not. 4 GiB of Blocks of Binary Data in memory filled in 0.58 s
// instead of 0.67 s (medians of seven shuffled rounds; 512 KiB 0.61 s, 2 MiB
// with four in flight 0.59 s). The copies lie in huge pages where the kernel
// has them (os::AllocateBuffer), so that each lies together in physical
// memory and the device takes it in a few long segments: the loop device
// takes 128 segments a request, which are only 512 KiB of scattered pages.
constexpr std::size_t kCopySliceBytes = 1 << 20;
// When no slice has completed for this long, the ones still waiting are
// called off, and the rest of the write goes through ordinary writes, which
// wait for the device in the kernel. Twice in many runs of the test suite,
// eight slices were taken (the ring's SqHead 8) and none completed (CqTail
// 0), with none in the device's queue and no worker of the kernel's holding
// them. A slow device completes a slice in seconds.
constexpr int kStalledSeconds = 30;
constexpr std::uint64_t kCancelTag = kInFlight;        // not a slot: the cancel's own completion
constexpr std::size_t kSmallestDirectWrite = 1 << 20;  // below this, the page cache costs little
constexpr std::size_t kCopyAlignment = 4096;           // a page: more than any device has asked for

// The ring of one direct write, set up when the write begins. Where the
// kernel has no io_uring, or refuses it, each slice is written at once instead.
class Ring {
 public:
  Ring() : ready_(io_uring_queue_init(kInFlight, &ring_, 0) == 0) {}
  ~Ring() {
    if (ready_) io_uring_queue_exit(&ring_);
  }
  Ring(const Ring&) = delete;
  Ring& operator=(const Ring&) = delete;
  io_uring* get() { return ready_ ? &ring_ : nullptr; }

 private:
  io_uring ring_{};
  bool ready_;
};

struct BufferDeleter {
  void operator()(unsigned char* p) const { FreeBuffer(p); }
};

// One slice on its way to the device.
struct Slot {
  std::size_t length = 0;
  long result = 0;  // bytes written, or -errno
  bool finished = false;
};

// The aligned copy that the slice in a slot goes from when the source itself
// is not aligned. The copies are allocated at their first use and kept for
// every later write of the thread: a buffer in huge pages is cleared whenever
// it is allocated anew, and a 4 GiB fill of Blocks of Binary Data allocated
// 1.2 GB of them anew, a write at a time (0.2 s of the processor's time).
unsigned char* CopyBuffer(std::size_t slot) {
  thread_local std::unique_ptr<unsigned char, BufferDeleter> copies;
  if (!copies)
    copies.reset(static_cast<unsigned char*>(AllocateBuffer(kInFlight * kCopySliceBytes)));
  return copies ? copies.get() + slot * kCopySliceBytes : nullptr;
}

// Copies a slice out of the chunk into its aligned buffer. glibc copies a
// megabyte with vector loads and stores, at 12 GB/s out of memory on this
// project's AMD hosts; the processor's own string copy (rep movsb), which
// processors with enhanced rep movsb (ERMS) run at full width, at 20 GB/s.
// Elsewhere glibc's copy stays.
void CopySlice(unsigned char* to, const unsigned char* from, std::size_t length) {
#if defined(__x86_64__) || defined(__i386__)
  constexpr unsigned kErms = 1u << 9;  // CPUID leaf 7, EBX
  static const bool fast_string_copy = [] {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) && (ebx & kErms) != 0;
  }();
  if (fast_string_copy) {
    asm volatile("rep movsb" : "+D"(to), "+S"(from), "+c"(length) : : "memory");
    return;
  }
#endif
  std::memcpy(to, from, length);
}

bool IsAligned(const void* address, std::size_t alignment) {
  return reinterpret_cast<std::uintptr_t>(address) % alignment == 0;
}

// The filesystem's magic number (statfs), 0 where it cannot be told.
long FilesystemOf(int fd) {
  struct statfs volume;
  return fstatfs(fd, &volume) == 0 ? static_cast<long>(volume.f_type) : 0;
}

// FUSE passes each write to a program, and some of those cannot take one that
// starts past the file's end: fusefat then puts its bytes over the file's
// earlier ones and reports it written. A slice that ends short (the full
// disk) must be the last one sent, so on FUSE each waits for the one before.
unsigned SlicesInFlight(long filesystem) {
  return filesystem == FUSE_SUPER_MAGIC ? 1 : kInFlight;
}

// ext4, XFS and btrfs take a direct write that grows the file one at a time,
// under the file's lock, and wait for each to reach the device; writes inside
// the file's size go on side by side. So each write's blocks are allocated first,
// where a filesystem allocates them without writing them (as unwritten
// extents, which read as zeros until written). A reservation that fails (the
// full disk) may still have taken some of the blocks, and the file's size
// with them (ext4): the slices then write those first and grow the file
// after them, as without it. Elsewhere (FAT writes zeros to allocate; FUSE)
// nothing is reserved.
void ReserveBlocks(int fd, long filesystem, std::uint64_t offset, std::size_t length) {
  bool unwritten_extents = filesystem == EXT4_SUPER_MAGIC || filesystem == XFS_SUPER_MAGIC ||
                           filesystem == BTRFS_SUPER_MAGIC;
  if (unwritten_extents) {
    (void)fallocate(fd, 0, static_cast<off_t>(offset), static_cast<off_t>(length));
  }
}

bool SetDirect(int fd, bool direct) {
  int flags = fcntl(fd, F_GETFL);
  if (flags < 0) return false;
  flags = direct ? (flags | O_DIRECT) : (flags & ~O_DIRECT);
  return fcntl(fd, F_SETFL, flags) == 0;
}

// The aligned middle of a write: `length` bytes (whole blocks) of the source
// from stream position `from` on, to the file from `offset` on. Returns how
// many of them were written in order, up to the first slice that failed or
// came short.
class SliceWriter {
 public:
  SliceWriter(int fd, const WriteSource& source, std::size_t alignment, unsigned in_flight)
      : fd_(fd), source_(source), alignment_(alignment), in_flight_(in_flight) {}

  std::size_t Write(std::size_t from, std::uint64_t offset, std::size_t length) {
    std::size_t sent = 0;
    // Slices stay whole blocks, so a source that is unaligned at the start
    // stays so throughout.
    bool copied = !IsAligned(source_.At(from), alignment_);
    std::size_t longest = copied ? kCopySliceBytes : kSliceBytes;
    while (sent < length || first_ < next_) {
      while (!broken_ && sent < length && next_ - first_ < in_flight_) {
        const unsigned char* data = source_.At(from + sent);
        std::size_t slice = std::min({longest, length - sent, source_.RunAt(from + sent)});
        slice -= slice % alignment_;
        if (slice == 0 || !Send(data, slice, offset + sent)) {
          broken_ = true;
          break;
        }
        sent += slice;
      }
      if (first_ == next_) break;
      if (!slots_[first_ % kInFlight].finished && !Reap()) break;
      Fold();
    }
    return written_;
  }

 private:
  bool Send(const unsigned char* data, std::size_t length, std::uint64_t offset) {
    Slot& slot = slots_[next_ % kInFlight];
    if (!IsAligned(data, alignment_)) {
      unsigned char* copy = CopyBuffer(next_ % kInFlight);
      if (!copy) return false;
      CopySlice(copy, data, length);
      data = copy;
    }
    slot.length = length;
    slot.finished = false;
    io_uring* ring = ring_.get();
    io_uring_sqe* entry = ring ? io_uring_get_sqe(ring) : nullptr;
    if (entry) {
      io_uring_prep_write(entry, fd_, data, static_cast<unsigned>(length), offset);
      io_uring_sqe_set_data64(entry, next_ % kInFlight);
      if (io_uring_submit(ring) != 1) return false;
    } else {
      do {
        slot.result = pwrite(fd_, data, length, static_cast<off_t>(offset));
      } while (slot.result < 0 && errno == EINTR);
      if (slot.result < 0) slot.result = -errno;
      slot.finished = true;
    }
    ++next_;
    return true;
  }

  // Waits for one slice to complete. A wait that finds none for
  // kStalledSeconds calls off the waiting ones and then waits on for the
  // slice under way.
  bool Reap() {
    io_uring* ring = ring_.get();
    __kernel_timespec limit{kStalledSeconds, 0};
    for (bool called_off = false;;) {
      io_uring_cqe* completion = nullptr;
      int error = io_uring_wait_cqe_timeout(ring, &completion, called_off ? nullptr : &limit);
      if (error == -EINTR) continue;
      if (error == -ETIME) {
        called_off = CallOff();
        continue;
      }
      if (error != 0) return false;
      std::uint64_t tag = io_uring_cqe_get_data64(completion);
      long result = completion->res;
      io_uring_cqe_seen(ring, completion);
      if (tag == kCancelTag) continue;
      slots_[tag].result = result;
      slots_[tag].finished = true;
      return true;
    }
  }

  // Calls off every slice not yet under way; those complete as cancelled,
  // and nothing more is sent.
  bool CallOff() {
    broken_ = true;
    io_uring_sqe* entry = io_uring_get_sqe(ring_.get());
    if (!entry) return false;
    io_uring_prep_cancel64(entry, 0, IORING_ASYNC_CANCEL_ANY);
    io_uring_sqe_set_data64(entry, kCancelTag);
    return io_uring_submit(ring_.get()) == 1;
  }

  // Counts the finished slices in their order; after one that failed or came
  // short, nothing more counts.
  void Fold() {
    while (first_ < next_ && slots_[first_ % kInFlight].finished) {
      const Slot& slot = slots_[first_ % kInFlight];
      if (!broken_) written_ += static_cast<std::size_t>(std::max(slot.result, 0L));
      if (slot.result < static_cast<long>(slot.length)) broken_ = true;
      ++first_;
    }
  }

  int fd_;
  const WriteSource& source_;
  std::size_t alignment_;
  unsigned in_flight_;  // slices on their way at once, up to kInFlight
  std::array<Slot, kInFlight> slots_;
  Ring ring_;  // after the slots: it goes first, with any write still on its way
  std::size_t first_ = 0, next_ = 0;  // slices [first_, next_) not yet counted
  std::size_t written_ = 0;
  bool broken_ = false;
};

}  // namespace

bool WriteOrdinary(int fd, const WriteSource& source, std::size_t count, std::size_t* done) {
  while (*done < count) {
    ssize_t put = write(fd, source.At(*done), std::min(count - *done, source.RunAt(*done)));
    if (put < 0 && errno == EINTR) continue;
    if (put == 0) errno = ENOSPC;
    if (put <= 0) return false;
    *done += static_cast<std::size_t>(put);
  }
  return true;
}

std::size_t WriteDirect(int fd, const WriteSource& source, std::size_t count) {
  if (count < kSmallestDirectWrite) return 0;
  DirectAlignment alignment = DirectAlignmentOf(fd);
  off_t here = lseek(fd, 0, SEEK_CUR);
  if (alignment.memory == 0 || here < 0) return 0;
  auto position = static_cast<std::uint64_t>(here);
  std::size_t head = (alignment.offset - position % alignment.offset) % alignment.offset;
  head = std::min(head, count);
  std::size_t middle = (count - head) / alignment.offset * alignment.offset;
  std::size_t strictest = std::max(alignment.memory, alignment.offset);
  bool direct = strictest <= kCopyAlignment;
  long filesystem = FilesystemOf(fd);
  // The whole write is reserved, its unaligned ends too, before any of it is
  // written: an ordinary write that grows the file makes XFS give the file
  // blocks past its end in advance, and a file that fallocate has touched
  // keeps them to its deletion, never written (68 MiB of a 1.2 GiB volume).
  if (direct) ReserveBlocks(fd, filesystem, position, count);
  std::size_t done = 0;
  if (!WriteOrdinary(fd, source, head, &done) || !SetDirect(fd, true)) return done;

  if (direct) {
    SliceWriter slices(fd, source, strictest, SlicesInFlight(filesystem));
    done += slices.Write(head, position + head, middle);
  }
  SetDirect(fd, false);
  lseek(fd, static_cast<off_t>(position + done), SEEK_SET);
  return done;
}

}  // namespace kelvor::os
