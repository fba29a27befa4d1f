// The benchmark's floor: the least that a program must do to fill free space
// with a pattern, and nothing else (no window, record, read-back or checks),
// so that what the machine allows for each pattern can be told from what
// Kelvor makes of it.
//   direct_fill FOLDER ones      a 4 MiB slice of 0xFF, written again and again
//   direct_fill FOLDER blocks    a chunk of 107374182 pseudo-random bytes, drawn
//                                into fresh memory, repeated: the chunk writes
//                                lie at shifts that direct I/O cannot take, so
//                                their slices go through aligned 1 MiB copies
//   direct_fill FOLDER aligned   the same with a chunk of 107372544 bytes (whole
//                                pages): every slice straight from the chunk
// Files of ten chunks, each reserved (fallocate) and written with direct
// I/O, eight slices in flight (io_uring), until the disk is full; then each is
// flushed and deleted. (The last file may end in blocks reserved but not
// written, where the full disk refused a slice: a floor needs no more.)
#include <fcntl.h>
#include <liburing.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "huge_pages.h"

namespace {

constexpr std::size_t kBlock = 4096;                   // every file offset and slice length
constexpr std::size_t kMemoryAlignment = 512;          // the loop device's dma_alignment + 1
constexpr std::size_t kAlignedChunkBytes = 107372544;  // the same, in whole pages
// Ten chunks, in whole pages: as in a wipe, each file starts at the chunk's start.
constexpr std::size_t kFileBytes = 1073737728;
constexpr std::size_t kSliceBytes = 4 << 20;
constexpr std::size_t kCopySliceBytes = 1 << 20;
constexpr unsigned kInFlight = 8;

// Bytes that do not repeat within the chunk (splitmix64), cheaper than any
// generator a wipe would use.
void Draw(char* chunk, std::size_t bytes) {
  std::uint64_t state = 1;
  for (std::size_t at = 0; at < bytes; at += sizeof state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    std::memcpy(chunk + at, &z, std::min(sizeof z, bytes - at));
  }
}

struct Pattern {
  const char* bytes;
  std::size_t period;  // the bytes at stream position p are bytes[p % period]
  bool repeated;       // one byte: every slice can come from the start
};

class Filler {
 public:
  explicit Filler(Pattern pattern)
      : pattern_(pattern), copies_(HugePages(kInFlight * kCopySliceBytes)) {
    if (io_uring_queue_init(kInFlight, &ring_, 0) != 0) std::exit(1);
    for (unsigned slot = 0; slot < kInFlight; ++slot) free_.push_back(slot);
  }

  // Writes one file; false at the full disk. Slices complete in any order, so
  // a slot (and its copy) is taken again only once its own slice completed.
  bool File(int fd) {
    (void)fallocate(fd, 0, 0, kFileBytes);
    std::size_t sent = 0;
    full_ = false;
    while (!full_ && sent < kFileBytes) {
      while (!free_.empty() && sent < kFileBytes) {
        unsigned slot = free_.back();
        free_.pop_back();
        const char* data = Slice(sent, kFileBytes - sent, slot, &lengths_[slot]);
        io_uring_sqe* entry = io_uring_get_sqe(&ring_);
        io_uring_prep_write(entry, fd, data, static_cast<unsigned>(lengths_[slot]), sent);
        io_uring_sqe_set_data64(entry, slot);
        sent += lengths_[slot];
      }
      io_uring_submit(&ring_);
      Reap();
    }
    while (free_.size() < kInFlight) Reap();
    return !full_;
  }

  std::size_t written() const { return written_; }

 private:
  void Reap() {
    io_uring_cqe* done = nullptr;
    if (io_uring_wait_cqe(&ring_, &done) != 0) std::exit(1);
    unsigned slot = static_cast<unsigned>(io_uring_cqe_get_data64(done));
    if (done->res < static_cast<long>(lengths_[slot])) full_ = true;
    written_ += static_cast<std::size_t>(std::max(done->res, 0));
    io_uring_cqe_seen(&ring_, done);
    free_.push_back(slot);
  }

  // The next slice, straight from the pattern where its bytes lie aligned and
  // together, else copied (a chunk's end and the next one's start together).
  const char* Slice(std::size_t position, std::size_t left, unsigned slot, std::size_t* length) {
    if (pattern_.repeated) {
      *length = std::min(kSliceBytes, left);
      return pattern_.bytes;
    }
    std::size_t at = position % pattern_.period;
    std::size_t run = pattern_.period - at;
    if (at % kMemoryAlignment == 0 && run >= kBlock) {
      *length = std::min({kSliceBytes, left, run}) / kBlock * kBlock;
      return pattern_.bytes + at;
    }
    *length = std::min(kCopySliceBytes, left);
    char* copy = copies_ + slot * kCopySliceBytes;
    for (std::size_t done = 0; done < *length;) {
      std::size_t piece = std::min(*length - done, pattern_.period - at);
      std::memcpy(copy + done, pattern_.bytes + at, piece);
      done += piece;
      at = 0;
    }
    return copy;
  }

  Pattern pattern_;
  char* copies_;
  io_uring ring_{};
  std::vector<unsigned> free_;  // slots with no slice on its way
  std::size_t lengths_[kInFlight] = {};
  std::size_t written_ = 0;
  bool full_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  std::string kind = argc == 3 ? argv[2] : "";
  Pattern pattern{};
  if (kind == "ones") {
    char* slice = HugePages(kSliceBytes);
    std::memset(slice, '\xff', kSliceBytes);
    pattern = {slice, kSliceBytes, true};
  } else if (kind == "blocks" || kind == "aligned") {
    std::size_t period = kind == "blocks" ? kChunkBytes : kAlignedChunkBytes;
    char* chunk = HugePages(period);
    Draw(chunk, period);
    pattern = {chunk, period, false};
  } else {
    std::fprintf(stderr, "usage: direct_fill FOLDER ones|blocks|aligned\n");
    return 2;
  }
  Filler filler(pattern);
  std::vector<std::string> files;
  for (bool room = true; room;) {
    files.push_back(std::string(argv[1]) + "/fill." + std::to_string(files.size()));
    int fd = open(files.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_DIRECT, 0600);
    if (fd < 0) return 1;
    room = filler.File(fd);
    fsync(fd);
    close(fd);
  }
  for (const std::string& file : files) unlink(file.c_str());
  std::fprintf(stderr, "direct_fill: %zu bytes in %zu files\n", filler.written(), files.size());
  return 0;
}
