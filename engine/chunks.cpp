#include "engine/chunks.h"

#include <algorithm>
#include <cstring>

#include "engine/random_bytes.h"
#include "files/file_access.h"
#include "platform/os_memory.h"
#include "text/number_text.h"

namespace kelvor::engine {
namespace {

constexpr char kOnes = '\xff';
constexpr char kZeros = '\0';
constexpr std::size_t kPageBytes = 4096;
constexpr std::size_t kRepeatedSlice = 4 << 20;  // bytes of a repeated byte held

std::size_t RoundedCount(double value) {
  return static_cast<std::size_t>(text::RoundToDecimals(value, 0));
}

// Reads the pattern for a part from the source file. An empty file leaves
// the chunk empty.
files::Status ReadPattern(files::FileAccess& files, const std::string& source_path,
                          std::uint64_t part, Chunk* chunk) {
  using files::Status;
  if (Status status = files.OpenFile(source_path, files::FileMode::kReadBinary, kPatternFileNumber);
      status.failed()) {
    return status;
  }
  std::uint64_t length = 0;
  if (Status status = files.FileLength(kPatternFileNumber, &length); status.failed()) return status;

  if (length * kWritesPerPart > part) {
    std::size_t count = part / kWritesPerPart;
    char* room = chunk->Allocate(count);
    if (!room) return files::Failure(files::kOutOfMemory);
    std::size_t read = 0;
    if (Status status = files.ReadBytes(kPatternFileNumber, room, count, &read); status.failed()) {
      return status;
    }
    chunk->Shrink(read);
  } else if (length > 0) {
    std::string file(length, '\0');
    std::size_t read = 0;
    if (Status status = files.ReadBytes(kPatternFileNumber, file.data(), file.size(), &read);
        status.failed()) {
      return status;
    }
    file.resize(read);
    std::size_t copies = RoundedCount(static_cast<double>(part) / length / kWritesPerPart);
    char* room = chunk->Allocate(file.size() * copies);
    if (!room) return files::Failure(files::kOutOfMemory);
    for (std::size_t i = 0; i < copies; ++i) {
      std::memcpy(room + i * file.size(), file.data(), file.size());
    }
  }
  return files.CloseFile(kPatternFileNumber);
}

}  // namespace

void Chunk::FreeAligned::operator()(char* memory) const {
  os::FreeBuffer(memory);
}

void Chunk::Clear() {
  size_ = held_ = 0;
  repeated_ = false;
  origin_ = {};
}

char* Chunk::Allocate(std::size_t size) {
  return Room(std::max<std::size_t>(size, kGigabyteChunkSize), size);
}

char* Chunk::Room(std::size_t capacity, std::size_t size) {
  std::size_t pages = std::max<std::size_t>((capacity + kPageBytes - 1) / kPageBytes, 1);
  if (pages > pages_) {
    memory_.reset();  // the old bytes go first: never two chunks at once
    memory_.reset(static_cast<char*>(os::AllocateBuffer(pages * kPageBytes)));
    pages_ = memory_ ? pages : 0;
  }
  size_ = held_ = memory_ ? size : 0;
  repeated_ = false;
  origin_ = {};
  return memory_.get();
}

void Chunk::Shrink(std::size_t size) {
  size_ = held_ = std::min(size_, size);
}

void Chunk::Repeat(char byte, std::size_t size) {
  std::size_t held = std::min(size, kRepeatedSlice);
  char* room = Room(held, held);
  if (!room) return;
  std::memset(room, byte, held);
  size_ = size;
  repeated_ = true;
  origin_ = {ChunkOrigin::kRepeated, byte, 0};
}

void Chunk::Draw(RandomGenerator& random, std::size_t size) {
  std::uint32_t seed = random.seed();
  char* room = Allocate(size);
  if (!room) return;
  random.Bytes(room, size);
  origin_ = {ChunkOrigin::kRandom, 0, seed};
}

files::Status Chunk::WriteTo(files::FileAccess& files, files::FileNumber number, std::size_t offset,
                             std::size_t count, std::size_t* written) const {
  if (repeated_) return files.WriteRepeatedBytes(number, held(), count, written);
  return files.WriteBytes(number, held().substr(offset, count), written);
}

files::Status BuildChunk(files::FileAccess& files, WipeType type, std::uint64_t part_bytes,
                         const std::string& source_path, RandomGenerator& random, Chunk* chunk) {
  chunk->Clear();
  files::Status pattern;
  switch (type) {
    case kAllZeros:
      chunk->Repeat(kZeros, part_bytes / kWritesPerPart);
      break;
    case kBinaryBlocks:
      if (files.IsExistingFile(source_path)) {
        pattern = ReadPattern(files, source_path, part_bytes, chunk);
        if (pattern.ok() && chunk->size() > 0) return files::kOk;
      }
      chunk->Draw(random, RoundedCount(part_bytes / double{kWritesPerPart}));
      break;
    default:
      chunk->Repeat(kOnes, part_bytes / kWritesPerPart);
      break;
  }
  if (!chunk->held().data()) return files::Failure(files::kOutOfMemory);
  return pattern;
}

}  // namespace kelvor::engine
