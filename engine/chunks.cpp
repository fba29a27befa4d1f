#include "engine/chunks.h"

#include "engine/number_text.h"
#include "engine/random_bytes.h"
#include "files/file_access.h"
#include "files/folders.h"

namespace kelvor::engine {
namespace {

constexpr char kOnes = '\xff';
constexpr char kZeros = '\0';

std::size_t RoundedCount(double value) {
  return static_cast<std::size_t>(RoundToDecimals(value, 0));
}

// Reads the pattern for a part from the source file. Returns false when the
// trap fired; an unreadable or empty file leaves *pattern empty.
bool ReadPattern(files::ErrorState& state, const std::string& source_path, std::uint64_t part,
                 std::string* pattern) {
  using files::FileMode;
  files::OpenFile(state, source_path, FileMode::kReadBinary, kPatternFileNumber);
  if (state.Check()) return false;
  std::uint64_t length = files::FileLength(state, kPatternFileNumber);
  if (state.Check()) return false;

  if (length * kWritesPerPart > part) {
    *pattern = files::ReadBytes(state, kPatternFileNumber, part / kWritesPerPart);
    if (state.Check()) return false;
  } else if (length > 0) {
    std::string file = files::ReadBytes(state, kPatternFileNumber, length);
    if (state.Check()) return false;
    std::size_t copies = RoundedCount(static_cast<double>(part) / length / kWritesPerPart);
    pattern->reserve(file.size() * copies);
    for (std::size_t i = 0; i < copies; ++i) pattern->append(file);
  }
  files::CloseFile(state, kPatternFileNumber);
  return !state.Check();
}

}  // namespace

bool BuildChunk(files::ErrorState& state, WipeType type, std::uint64_t part_bytes,
                const std::string& source_path, std::string* chunk) {
  chunk->clear();
  switch (type) {
    case kAllZeros:
      chunk->assign(part_bytes / kWritesPerPart, kZeros);
      return true;
    case kBinaryBlocks:
      if (files::IsExistingFile(source_path)) {
        if (!ReadPattern(state, source_path, part_bytes, chunk)) return false;
        if (!chunk->empty()) return true;
      }
      *chunk = RandomChunk(RoundedCount(part_bytes / static_cast<double>(kWritesPerPart)));
      return true;
    default:
      chunk->assign(part_bytes / kWritesPerPart, kOnes);
      return true;
  }
}

}  // namespace kelvor::engine
