// Chunk sizes and contents for every wipe type and pattern-file length, with
// real pattern files, and chunks written to a real file.
#include "engine/chunks.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/random_bytes.h"
#include "test_folder.h"
#include "test_platform.h"

namespace kelvor::engine {
namespace {

class Chunks : public testing::Test {
 protected:
  std::string Held(WipeType type, std::uint64_t part, const std::string& source = "") {
    return std::string(Build(type, part, source).held());
  }
  Chunk Build(WipeType type, std::uint64_t part, const std::string& source = "") {
    Chunk chunk;
    EXPECT_EQ(BuildChunk(files_, type, part, source, random_, &chunk).number, files::kNoError);
    return chunk;
  }
  test::TestFolder folder_;
  os::DriveHold nothing_held_;
  files::FileAccess files_{nothing_held_};
  RandomGenerator random_;
};

// A tenth of the part, rounded down; of a gigabyte part's chunk of one byte
// only a slice is held, page-aligned. Any other type writes ones.
TEST_F(Chunks, OnesAndZerosTakeATenthOfThePartRoundedDown) {
  EXPECT_EQ(Held(kAllOnes, 25), std::string(2, '\xff'));
  EXPECT_EQ(Held(kAllZeros, 25), std::string(2, '\0'));
  EXPECT_EQ(Held(7, 25), std::string(2, '\xff'));
  Chunk gigabyte = Build(kAllZeros, kBytesPerGigabyte);
  EXPECT_EQ(gigabyte.size(), kGigabyteChunkSize);
  EXPECT_EQ(gigabyte.held(), std::string(4 << 20, '\0'));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(gigabyte.held().data()) % 4096, 0u);
}

// Pseudo-random bytes (without a pattern file, or with an empty one) take a
// tenth rounded halves to even, drawn from the generator.
TEST_F(Chunks, RandomBytesTakeATenthRoundedHalvesToEven) {
  folder_.Write("empty.bmp", "");
  EXPECT_EQ(Build(kBinaryBlocks, 25).size(), 2u);
  EXPECT_EQ(Build(kBinaryBlocks, 35, folder_ / "empty.bmp").size(), 4u);
  random_.Seed(0.0);
  std::string chunk = Held(kBinaryBlocks, kBytesPerGigabyte, folder_ / "missing.bmp");
  EXPECT_EQ(chunk.size(), kGigabyteChunkSize);
  RandomGenerator fresh;
  fresh.Seed(0.0);
  std::string first(1000, '\0');
  fresh.Bytes(first.data(), first.size());
  EXPECT_EQ(chunk.substr(0, 1000), first);
}

// A pattern file up to a tenth of the part is repeated (rounded to whole
// copies); a longer one gives its first tenth of the part.
TEST_F(Chunks, APatternFileIsRepeatedOrCut) {
  std::string pattern(1000, '\0');
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<char>(i * 7 + i / 256);
  folder_.Write("pattern.bmp", pattern);
  const std::string source = folder_ / "pattern.bmp";
  // 1073741824 ÷ 1000 ÷ 10 = 107374.18 copies, rounded to 107374.
  std::string gigabyte = Held(kBinaryBlocks, kBytesPerGigabyte, source);
  EXPECT_EQ(gigabyte.size(), 107374000u);
  EXPECT_EQ(gigabyte.substr(gigabyte.size() - 2000), pattern + pattern);
  EXPECT_EQ(Held(kBinaryBlocks, 10000, source), pattern);
  for (std::uint64_t part : {9999u, 100u}) {
    EXPECT_EQ(Held(kBinaryBlocks, part, source), pattern.substr(0, part / 10)) << part;
  }

  // The pattern file is being written: it cannot be read, and the chunk
  // holds pseudo-random bytes for a run that writes on.
  ASSERT_EQ(files_.OpenFile(source, files::FileMode::kOutput, 3).number, files::kNoError);
  Chunk chunk;
  EXPECT_EQ(BuildChunk(files_, kBinaryBlocks, 10000, source, random_, &chunk).number,
            files::kPermissionDenied);
  EXPECT_EQ(chunk.size(), 1000u);
  EXPECT_NE(chunk.held(), pattern);
}

// A chunk goes to the device straight from its memory where the file's
// position allows it, through aligned copies where not, several slices at
// once; a chunk of one byte from its slice, again and again. Every byte must
// arrive in its place.
TEST_F(Chunks, ChunksReachTheFileWholeWhereverTheyStand) {
  const std::string name = std::string(test::kExt4Drive) + "\\chunks.dat";
  constexpr std::size_t kLarge = (9 << 20) + 5;
  Chunk blocks;
  char* room = blocks.Allocate(kLarge);
  for (std::size_t i = 0; i < kLarge; ++i) room[i] = static_cast<char>(i * 7 ^ i >> 12);
  Chunk ones = Build(kAllOnes, 10 * kLarge);
  ASSERT_EQ(files_.OpenFile(name, files::FileMode::kNewBinary, 1).number, files::kNoError);
  auto write = [this](const Chunk& chunk, std::size_t offset, std::size_t count) {
    std::size_t written = 0;
    EXPECT_EQ(chunk.WriteTo(files_, 1, offset, count, &written).number, files::kNoError);
    return written;
  };
  EXPECT_EQ(write(blocks, 0, kLarge), kLarge);  // from an aligned position
  EXPECT_EQ(write(blocks, 0, kLarge), kLarge);  // from an unaligned one
  EXPECT_EQ(write(ones, 0, kLarge), kLarge);
  EXPECT_EQ(write(blocks, 3, 2), 2u);
  EXPECT_EQ(files_.CloseFile(1).number, files::kNoError);

  std::string back = test::ReadWholeFile(test::HostPath(name));
  std::filesystem::remove(test::HostPath(name));
  std::string blocks_bytes(blocks.held());
  EXPECT_TRUE(back == blocks_bytes + blocks_bytes + std::string(kLarge, '\xff') +
                          blocks_bytes.substr(3, 2));
}

}  // namespace
}  // namespace kelvor::engine
