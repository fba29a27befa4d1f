// The wipe types and the chunk, the buffer that a fill file receives ten times.
#pragma once

#include <cstdint>
#include <string>

#include "files/file_access.h"

namespace kelvor::engine {

using WipeType = std::int32_t;  // any value other than these behaves as kAllOnes
inline constexpr WipeType kAllOnes = 0;
inline constexpr WipeType kAllZeros = 1;
inline constexpr WipeType kBinaryBlocks = 2;

inline constexpr std::uint64_t kBytesPerGigabyte = 1073741824;  // 2^30
inline constexpr int kWritesPerPart = 10;
inline constexpr std::uint64_t kGigabyteChunkSize = kBytesPerGigabyte / kWritesPerPart;
inline constexpr files::FileNumber kPatternFileNumber = 2;

// Builds the chunk for a part of part_bytes (ten chunks fill the part):
//   kAllZeros     ⌊part ÷ 10⌋ bytes 0x00
//   kBinaryBlocks copies of the pattern source file, or pseudo-random bytes
//                 (part ÷ 10, rounded) when there is no such file or it is empty
//   others        ⌊part ÷ 10⌋ bytes 0xFF
// A pattern file of at most a tenth of the part is repeated round(part ÷ L ÷ 10)
// times; a longer one gives its first ⌊part ÷ 10⌋ bytes. The file is read as
// file number 2. Returns false when the caller's error trap fired.
bool BuildChunk(files::ErrorState& state, WipeType type, std::uint64_t part_bytes,
                const std::string& source_path, std::string* chunk);

}  // namespace kelvor::engine
