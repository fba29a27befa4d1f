// The benchmark's floor: the least that a program must do to fill free space
// with a pattern, and nothing else (no window, record, read-back or checks),
// so that what the machine allows for each pattern can be told from what
// Kelvor makes of it.
//   direct_fill FOLDER ones      a 4 MiB slice of 0xFF, written again and again
//   direct_fill FOLDER blocks    chunks of pseudo-random bytes, drawn into
//                                memory, repeated: the chunk writes lie at
//                                shifts that direct I/O cannot take, so their
//                                slices go through aligned 1 MiB copies
//   direct_fill FOLDER aligned   the same with chunks of whole pages: every
//                                slice straight from the chunk
// The files lie as a run lays them out: first the free space's remainder
// over whole gigabytes, then gigabyte files, each of ten chunks of a tenth
// of its size; the pseudo-random chunks are two, the remainder's and then
// the gigabyte chunk (107374182 bytes), drawn into the same memory (fresh
// for the first). Each file is reserved (fallocate) and written with direct
// I/O, eight slices in flight (io_uring), until the disk is full; then each is
// flushed and deleted. (The last file may end in blocks reserved but not
// written, where the full disk refused a slice: a floor needs no more.)
#include <fcntl.h>
#include <liburing.h>
#include <sys/statvfs.h>
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

constexpr std::size_t kBlock = 4096;           // every file offset and slice length
constexpr std::size_t kMemoryAlignment = 512;  // the loop device's dma_alignment + 1
constexpr std::size_t kGigabyte = std::size_t{1} << 30;
constexpr std::size_t kChunksPerFile = 10;
constexpr std::size_t kSliceBytes = 4 << 20;
constexpr std::size_t kCopySliceBytes = 1 << 20;
constexpr unsigned kInFlight = 8;

// Bytes that do not repeat within the chunk (splitmix64), cheaper than any
// generator a wipe would use.
void Draw(char* chunk, std::size_t bytes, std::uint64_t seed) {
  std::uint64_t state = seed;
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
  Filler() : copies_(HugePages(kInFlight * kCopySliceBytes)) {
    if (io_uring_queue_init(kInFlight, &ring_, 0) != 0) std::exit(1);
    for (unsigned slot = 0; slot < kInFlight; ++slot) free_.push_back(slot);
  }

  // Writes one file of `bytes` (whole blocks) with `pattern`; false at the
  // full disk. Slices complete in any order, so a slot (and its copy) is
  // taken again only once its own slice completed.
  bool File(int fd, Pattern pattern, std::size_t bytes) {
    pattern_ = pattern;
    (void)fallocate(fd, 0, 0, static_cast<off_t>(bytes));
    std::size_t sent = 0;
    full_ = false;
    while (!full_ && sent < bytes) {
      while (!free_.empty() && sent < bytes) {
        unsigned slot = free_.back();
        free_.pop_back();
        const char* data = Slice(sent, bytes - sent, slot, &lengths_[slot]);
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

  Pattern pattern_{};
  char* copies_;
  io_uring ring_{};
  std::vector<unsigned> free_;  // slots with no slice on its way
  std::size_t lengths_[kInFlight] = {};
  std::size_t written_ = 0;
  bool full_ = false;
};

// A tenth of a part, as a run's chunk (whole pages where the slices are
// to come straight from it), and the file of ten such chunks in whole blocks.
std::size_t ChunkOf(std::size_t part, bool whole_pages) {
  std::size_t chunk = (part + kChunksPerFile / 2) / kChunksPerFile;
  return whole_pages ? chunk / kBlock * kBlock : chunk;
}
std::size_t FileOf(std::size_t chunk) {
  return chunk * kChunksPerFile / kBlock * kBlock;
}

}  // namespace

int main(int argc, char** argv) {
  std::string kind = argc == 3 ? argv[2] : "";
  bool drawn = kind == "blocks" || kind == "aligned";
  struct statvfs volume {};
  if ((!drawn && kind != "ones") || statvfs(argv[1], &volume) != 0) {
    std::fprintf(stderr, "usage: direct_fill FOLDER ones|blocks|aligned\n");
    return 2;
  }
  std::size_t free_bytes = volume.f_bavail * volume.f_frsize;
  char* memory = HugePages(drawn ? kChunkBytes : kSliceBytes);
  if (!drawn) std::memset(memory, '\xff', kSliceBytes);
  // Each chunk drawn anew into the same memory, with its own bytes.
  auto pattern_of = [&](std::size_t chunk) -> Pattern {
    if (!drawn) return {memory, kSliceBytes, true};
    Draw(memory, chunk, chunk);
    return {memory, chunk, false};
  };
  Filler filler;
  std::vector<std::string> files;
  auto write_file = [&](Pattern pattern, std::size_t bytes) {
    files.push_back(std::string(argv[1]) + "/fill." + std::to_string(files.size()));
    int fd = open(files.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_DIRECT, 0600);
    if (fd < 0) std::exit(1);
    bool room = filler.File(fd, pattern, bytes);
    fsync(fd);
    close(fd);
    return room;
  };
  bool whole_pages = kind == "aligned";
  std::size_t remainder_chunk = ChunkOf(free_bytes % kGigabyte, whole_pages);
  bool room =
      remainder_chunk == 0 || write_file(pattern_of(remainder_chunk), FileOf(remainder_chunk));
  if (room) {
    std::size_t gigabyte_chunk = ChunkOf(kGigabyte, whole_pages);
    Pattern gigabyte = pattern_of(gigabyte_chunk);
    while (room) room = write_file(gigabyte, FileOf(gigabyte_chunk));
  }
  for (const std::string& file : files) unlink(file.c_str());
  std::fprintf(stderr, "direct_fill: %zu bytes in %zu files\n", filler.written(), files.size());
  return 0;
}
