// The chunk, the buffer that a fill file receives ten times.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/random_bytes.h"
#include "engine/run.h"
#include "files/file_access.h"
#include "text/number_text.h"

namespace kelvor::engine {

using text::kBytesPerGigabyte;
inline constexpr int kWritesPerPart = 10;
inline constexpr std::uint64_t kGigabyteChunkSize = kBytesPerGigabyte / kWritesPerPart;
inline constexpr files::FileNumber kPatternFileNumber = 2;

// How a chunk's bytes were made, so that they can be made again to compare
// with what a fill file holds.
struct ChunkOrigin {
  enum Kind { kRepeated, kRandom, kPattern };
  Kind kind = kPattern;
  char byte = 0;           // kRepeated: the value
  std::uint32_t seed = 0;  // kRandom: the generator's seed before the chunk was drawn
};

// The chunk's bytes lie in page-aligned memory, so that the device can take
// them from there without a copy. A chunk of one byte repeated keeps only a
// slice of them: any stretch of it is the same.
class Chunk {
 public:
  std::size_t size() const { return size_; }
  // The bytes held: the whole chunk, or the slice of a repeated byte.
  std::string_view held() const { return {memory_.get(), held_}; }

  const ChunkOrigin& origin() const { return origin_; }

  // `size` bytes of the value `byte`.
  void Repeat(char byte, std::size_t size);
  // `size` bytes drawn from `random`; nothing when the memory is not there.
  void Draw(RandomGenerator& random, std::size_t size);
  // Room for `size` bytes, for the caller to fill; nothing when the memory
  // is not there. The room is made for a gigabyte part's chunk at least, so
  // that the chunks of a run share the same memory: a page that one chunk
  // touched costs the next nothing, and pages never touched cost nothing.
  char* Allocate(std::size_t size);
  // Keeps only the first `size` bytes (of those allocated).
  void Shrink(std::size_t size);
  // Forgets the bytes; the memory stays for the next chunk.
  void Clear();

  // Writes `count` bytes of the chunk, from `offset` on, to a fill file as
  // one write; `written` says how many were written.
  files::Status WriteTo(files::FileAccess& files, files::FileNumber number, std::size_t offset,
                        std::size_t count, std::size_t* written) const;

 private:
  struct FreeAligned {
    void operator()(char* memory) const;
  };
  char* Room(std::size_t capacity, std::size_t size);

  std::unique_ptr<char, FreeAligned> memory_;
  std::size_t pages_ = 0;  // of memory_
  std::size_t size_ = 0;
  std::size_t held_ = 0;
  bool repeated_ = false;
  ChunkOrigin origin_;
};

// Builds the chunk for a part of part_bytes (ten chunks fill the part):
//   kAllZeros     ⌊part ÷ 10⌋ bytes 0x00
//   kBinaryBlocks copies of the pattern source file, or pseudo-random bytes
//                 (part ÷ 10, rounded, from `random`) when there is no such
//                 file or it is empty
//   others        ⌊part ÷ 10⌋ bytes 0xFF
// A pattern file of at most a tenth of the part is repeated round(part ÷ L ÷ 10)
// times; a longer one gives its first ⌊part ÷ 10⌋ bytes. The file is read as
// file number 2. A failure to read it is returned with the chunk holding
// pseudo-random bytes all the same (a run that writes on before its error
// trap is set still writes them); a failure of the memory with no chunk.
files::Status BuildChunk(files::FileAccess& files, WipeType type, std::uint64_t part_bytes,
                         const std::string& source_path, RandomGenerator& random, Chunk* chunk);

}  // namespace kelvor::engine
