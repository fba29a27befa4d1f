// Chunk sizes and contents for every wipe type and pattern-file length, with
// real pattern files.
#include "engine/chunks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/random_bytes.h"
#include "test_folder.h"
#include "test_platform.h"

namespace kelvor::engine {
namespace {

using test::TestFolder;

class Chunks : public testing::Test {
 protected:
  Chunk Build(WipeType type, std::uint64_t part, const std::string& source = "") {
    Chunk chunk;
    EXPECT_TRUE(BuildChunk(state_, type, part, source, &chunk));
    return chunk;
  }
  static std::string Held(const Chunk& chunk) { return std::string(chunk.held()); }
  // A pattern file of `length` bytes that never repeats within 256 bytes.
  std::string MakePattern(std::uint64_t length) {
    std::string bytes(length, '\0');
    for (std::uint64_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(i * 7 + i / 256);
    folder_.Write("pattern.bmp", bytes);
    return bytes;
  }
  static bool AllBytesAre(const std::string& chunk, char byte) {
    return std::all_of(chunk.begin(), chunk.end(), [byte](char c) { return c == byte; });
  }
  TestFolder folder_;
  files::ErrorState state_;
};

TEST_F(Chunks, OnesZerosAndAnyOtherTypeTakeATenthOfThePartRoundedDown) {
  EXPECT_EQ(Held(Build(kAllOnes, 25)), std::string(2, '\xff'));
  EXPECT_EQ(Held(Build(kAllZeros, 25)), std::string(2, '\0'));
  EXPECT_EQ(Held(Build(7, 25)), std::string(2, '\xff'));
  EXPECT_EQ(Build(-1, 9).size(), 0u);
  // A gigabyte part's chunk of one byte holds a slice of it only, page-aligned.
  Chunk gigabyte = Build(kAllZeros, kBytesPerGigabyte);
  EXPECT_EQ(gigabyte.size(), 107374182u);
  EXPECT_EQ(gigabyte.held().size(), 4u << 20);
  EXPECT_TRUE(AllBytesAre(Held(gigabyte), '\0'));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(gigabyte.held().data()) % 4096, 0u);
}

TEST_F(Chunks, RandomBytesTakeATenthRoundedHalvesToEven) {
  EXPECT_EQ(Build(kBinaryBlocks, 25).size(), 2u);
  EXPECT_EQ(Build(kBinaryBlocks, 35).size(), 4u);
  SeedRandom(0.0);
  Chunk chunk = Build(kBinaryBlocks, kBytesPerGigabyte, folder_ / "missing.bmp");
  ASSERT_EQ(chunk.size(), 107374182u);
  ASSERT_EQ(chunk.held().size(), chunk.size());
  EXPECT_EQ(chunk.held().find('\xff'), std::string::npos);
  SeedRandom(0.0);
  std::string first(1000, '\0');
  RandomBytes(first.data(), first.size());
  EXPECT_EQ(chunk.held().substr(0, 1000), first);  // the generator's own stream
}

TEST_F(Chunks, ASmallPatternFileIsRepeated) {
  std::string pattern = MakePattern(300);
  std::string chunk = Held(Build(kBinaryBlocks, 600000, folder_ / "pattern.bmp"));
  ASSERT_EQ(chunk.size(), 60000u);  // 200 copies
  EXPECT_EQ(chunk.substr(0, 300), pattern);
  EXPECT_EQ(chunk.substr(59700), pattern);
  // 1073741824 ÷ 300 ÷ 10 = 357913.94 copies, rounded to 357914.
  std::string gigabyte = Held(Build(kBinaryBlocks, kBytesPerGigabyte, folder_ / "pattern.bmp"));
  EXPECT_EQ(gigabyte.size(), 107374200u);
  EXPECT_EQ(gigabyte.substr(gigabyte.size() - 300), pattern);
  EXPECT_EQ(state_.Number(), files::kNoError);
  EXPECT_TRUE(folder_.Exists("pattern.bmp"));
}

TEST_F(Chunks, APatternFileLongerThanATenthGivesItsFirstTenth) {
  std::string pattern = MakePattern(1000);
  for (std::uint64_t part : {5000u, 9999u, 1000u, 999u, 100u}) {
    std::string chunk = Held(Build(kBinaryBlocks, part, folder_ / "pattern.bmp"));
    EXPECT_EQ(chunk, pattern.substr(0, part / 10)) << part;
  }
  // Exactly a tenth: one copy.
  EXPECT_EQ(Held(Build(kBinaryBlocks, 10000, folder_ / "pattern.bmp")), pattern);
}

TEST_F(Chunks, AnEmptyPatternFileCountsAsNoFile) {
  folder_.Write("empty.bmp", "");
  EXPECT_EQ(Build(kBinaryBlocks, 35, folder_ / "empty.bmp").size(), 4u);
  EXPECT_EQ(state_.Number(), files::kNoError);
}

TEST_F(Chunks, APatternFileThatCannotBeOpenedStopsATrappedBuild) {
  MakePattern(300);
  files::ErrorState holder;
  files::OpenFile(holder, folder_ / "pattern.bmp", files::FileMode::kOutput, 3);  // being written
  state_.SetTrap();
  Chunk chunk;
  EXPECT_FALSE(
      BuildChunk(state_, kBinaryBlocks, kBytesPerGigabyte, folder_ / "pattern.bmp", &chunk));
  EXPECT_EQ(state_.Number(), files::kPermissionDenied);
  files::CloseAllFiles(holder);
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
  files::OpenFile(state_, name, files::FileMode::kNewBinary, 1);
  EXPECT_EQ(blocks.WriteTo(state_, 1, 0, kLarge), kLarge);  // from an aligned position
  EXPECT_EQ(blocks.WriteTo(state_, 1, 0, kLarge), kLarge);  // from an unaligned one
  EXPECT_EQ(ones.WriteTo(state_, 1, 0, kLarge), kLarge);
  EXPECT_EQ(blocks.WriteTo(state_, 1, 3, 2), 2u);
  files::FlushFile(state_, 1);
  files::CloseFile(state_, 1);
  EXPECT_EQ(state_.Number(), files::kNoError);

  std::ifstream file(test::HostPath(name), std::ios::binary);
  std::string back((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  file.close();
  std::filesystem::remove(test::HostPath(name));
  ASSERT_EQ(back.size(), 3 * kLarge + 2);
  std::string blocks_bytes(blocks.held());
  EXPECT_TRUE(back.substr(0, 2 * kLarge) == blocks_bytes + blocks_bytes);
  EXPECT_TRUE(AllBytesAre(back.substr(2 * kLarge, kLarge), '\xff'));
  EXPECT_EQ(back.substr(3 * kLarge), blocks_bytes.substr(3, 2));
}

}  // namespace
}  // namespace kelvor::engine
