// The benchmark's control runs: work that "Blocks of Binary Data" does beside
// its writing, done by a program of its own, so that what that work costs the
// machine can be told from what it costs Kelvor.
//   control warm MIB    touches MIB of memory in huge pages and frees it, so
//                       that the next program finds memory that this virtual
//                       machine has not yet handed back to its host
//   control copies GB   touches its buffers, says "ready", waits until the
//                       run started then beside it writes, then copies GB out
//                       of a chunk-sized buffer into eight 1 MiB buffers in
//                       huge pages, at an unaligned shift, as the direct
//                       writes' aligned copies do
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "huge_pages.h"

namespace {

constexpr std::size_t kCopyBytes = 1 << 20;  // one copied slice
constexpr int kCopyBuffers = 8;              // slices in flight
constexpr std::size_t kShift = 102;          // the second write's shift
constexpr unsigned kStartDelayUs = 50000;    // a run's start, before its first write

char* Touched(std::size_t bytes) {
  char* memory = HugePages(bytes);
  std::memset(memory, 1, bytes);
  return memory;
}

int Copies(double gigabytes) {
  char* chunk = Touched(kChunkBytes + kShift);
  char* buffers[kCopyBuffers];
  for (char*& buffer : buffers) buffer = Touched(kCopyBytes);
  std::puts("ready");
  std::fflush(stdout);
  usleep(kStartDelayUs);
  auto start = std::chrono::steady_clock::now();
  std::size_t at = kShift;
  for (std::size_t done = 0, n = 0; done < gigabytes * 1e9; done += kCopyBytes, ++n) {
    if (at + kCopyBytes > kChunkBytes) at = kShift;
    std::memcpy(buffers[n % kCopyBuffers], chunk + at, kCopyBytes);
    at += kCopyBytes;
  }
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::fprintf(stderr, "control: copied %.2f GB in %.3f s\n", gigabytes, took.count());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string what = argc == 3 ? argv[1] : "";
  if (what == "warm") {
    std::free(Touched(std::strtoull(argv[2], nullptr, 10) << 20));
    return 0;
  }
  if (what == "copies") return Copies(std::strtod(argv[2], nullptr));
  std::fprintf(stderr, "usage: control warm MIB | control copies GB\n");
  return 2;
}
