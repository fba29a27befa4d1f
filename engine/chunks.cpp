#include "engine/chunks.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/number_text.h"
#include "engine/random_bytes.h"
#include "files/file_access.h"
#include "files/folders.h"

namespace kelvor::engine {
namespace {

constexpr char kOnes = '\xff';
constexpr char kZeros = '\0';
constexpr std::size_t kPageBytes = 4096;
constexpr std::size_t kRepeatedSlice = 4 << 20;  // bytes of a repeated byte held

// The unit of a chunk's memory: its alignment is what direct writes need.
struct alignas(kPageBytes) Page {
  char bytes[kPageBytes];
};

std::size_t RoundedCount(double value) {
  return static_cast<std::size_t>(RoundToDecimals(value, 0));
}

// Room for a chunk (or more), or nothing after recording "Out of memory".
char* Room(files::ErrorState& state, Chunk* chunk, std::size_t size) {
  char* room = chunk->Allocate(size);
  if (!room) state.Record(files::kOutOfMemory);
  return room;
}

// Reads the pattern for a part from the source file. Returns false when the
// trap fired; an unreadable or empty file leaves the chunk empty.
bool ReadPattern(files::ErrorState& state, const std::string& source_path, std::uint64_t part,
                 Chunk* chunk) {
  using files::FileMode;
  files::OpenFile(state, source_path, FileMode::kReadBinary, kPatternFileNumber);
  if (state.Check()) return false;
  std::uint64_t length = files::FileLength(state, kPatternFileNumber);
  if (state.Check()) return false;

  if (length * kWritesPerPart > part) {
    std::size_t count = part / kWritesPerPart;
    char* room = Room(state, chunk, count);
    if (state.Check()) return false;
    chunk->Shrink(files::ReadBytes(state, kPatternFileNumber, room, count));
    if (state.Check()) return false;
  } else if (length > 0) {
    std::string file(length, '\0');
    file.resize(files::ReadBytes(state, kPatternFileNumber, file.data(), file.size()));
    if (state.Check()) return false;
    std::size_t copies = RoundedCount(static_cast<double>(part) / length / kWritesPerPart);
    char* room = Room(state, chunk, file.size() * copies);
    if (state.Check()) return false;
    for (std::size_t i = 0; i < copies; ++i) {
      std::memcpy(room + i * file.size(), file.data(), file.size());
    }
  }
  files::CloseFile(state, kPatternFileNumber);
  return !state.Check();
}

}  // namespace

void Chunk::FreeAligned::operator()(char* memory) const {
  delete[] reinterpret_cast<Page*>(memory);
}

void Chunk::Clear() {
  size_ = held_ = 0;
  repeated_ = false;
}

char* Chunk::Allocate(std::size_t size) {
  return Room(std::max<std::size_t>(size, kGigabyteChunkSize), size);
}

char* Chunk::Room(std::size_t capacity, std::size_t size) {
  std::size_t pages = std::max<std::size_t>((capacity + kPageBytes - 1) / kPageBytes, 1);
  if (pages > pages_) {
    memory_.reset();  // the old bytes go first: never two chunks at once
    memory_.reset(reinterpret_cast<char*>(new (std::nothrow) Page[pages]));
    pages_ = memory_ ? pages : 0;
  }
  size_ = held_ = memory_ ? size : 0;
  repeated_ = false;
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
}

std::size_t Chunk::WriteTo(files::ErrorState& state, files::FileNumber number, std::size_t offset,
                           std::size_t count) const {
  if (repeated_) return files::WriteRepeatedBytes(state, number, held(), count);
  return files::WriteBytes(state, number, held().substr(offset, count));
}

bool BuildChunk(files::ErrorState& state, WipeType type, std::uint64_t part_bytes,
                const std::string& source_path, Chunk* chunk) {
  chunk->Clear();
  switch (type) {
    case kAllZeros:
      chunk->Repeat(kZeros, part_bytes / kWritesPerPart);
      break;
    case kBinaryBlocks:
      if (files::IsExistingFile(source_path)) {
        if (!ReadPattern(state, source_path, part_bytes, chunk)) return false;
        if (chunk->size() > 0) return true;
      }
      if (char* room = chunk->Allocate(RoundedCount(part_bytes / double{kWritesPerPart}))) {
        RandomBytes(room, chunk->size());
      }
      break;
    default:
      chunk->Repeat(kOnes, part_bytes / kWritesPerPart);
      break;
  }
  if (chunk->held().data() == nullptr) state.Record(files::kOutOfMemory);
  return !state.Check();
}

}  // namespace kelvor::engine
