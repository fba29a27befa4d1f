// Chunk sizes and contents for every wipe type and pattern-file length, with
// real pattern files.
#include "engine/chunks.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/random_bytes.h"
#include "test_folder.h"

namespace kelvor::engine {
namespace {

using test::TestFolder;

class Chunks : public testing::Test {
 protected:
  std::string Build(WipeType type, std::uint64_t part, const std::string& source = "") {
    std::string chunk;
    EXPECT_TRUE(BuildChunk(state_, type, part, source, &chunk));
    return chunk;
  }
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
  EXPECT_EQ(Build(kAllOnes, 25), std::string(2, '\xff'));
  EXPECT_EQ(Build(kAllZeros, 25), std::string(2, '\0'));
  EXPECT_EQ(Build(7, 25), std::string(2, '\xff'));
  EXPECT_EQ(Build(-1, 9), "");
  std::string gigabyte = Build(kAllZeros, kBytesPerGigabyte);
  EXPECT_EQ(gigabyte.size(), 107374182u);
  EXPECT_TRUE(AllBytesAre(gigabyte, '\0'));
}

TEST_F(Chunks, RandomBytesTakeATenthRoundedHalvesToEven) {
  EXPECT_EQ(Build(kBinaryBlocks, 25).size(), 2u);
  EXPECT_EQ(Build(kBinaryBlocks, 35).size(), 4u);
  SeedRandom(0.0);
  std::string chunk = Build(kBinaryBlocks, kBytesPerGigabyte, folder_ / "missing.bmp");
  ASSERT_EQ(chunk.size(), 107374182u);
  EXPECT_EQ(chunk.find('\xff'), std::string::npos);
  SeedRandom(0.0);
  EXPECT_EQ(chunk.substr(0, 1000), RandomChunk(1000));  // the generator's own stream
}

TEST_F(Chunks, ASmallPatternFileIsRepeated) {
  std::string pattern = MakePattern(300);
  std::string chunk = Build(kBinaryBlocks, 600000, folder_ / "pattern.bmp");
  ASSERT_EQ(chunk.size(), 60000u);  // 200 copies
  EXPECT_EQ(chunk.substr(0, 300), pattern);
  EXPECT_EQ(chunk.substr(59700), pattern);
  // 1073741824 ÷ 300 ÷ 10 = 357913.94 copies, rounded to 357914.
  std::string gigabyte = Build(kBinaryBlocks, kBytesPerGigabyte, folder_ / "pattern.bmp");
  EXPECT_EQ(gigabyte.size(), 107374200u);
  EXPECT_EQ(gigabyte.substr(gigabyte.size() - 300), pattern);
  EXPECT_EQ(state_.Number(), files::kNoError);
  EXPECT_TRUE(folder_.Exists("pattern.bmp"));
}

TEST_F(Chunks, APatternFileLongerThanATenthGivesItsFirstTenth) {
  std::string pattern = MakePattern(1000);
  for (std::uint64_t part : {5000u, 9999u, 1000u, 999u, 100u}) {
    std::string chunk = Build(kBinaryBlocks, part, folder_ / "pattern.bmp");
    EXPECT_EQ(chunk, pattern.substr(0, part / 10)) << part;
  }
  // Exactly a tenth: one copy.
  EXPECT_EQ(Build(kBinaryBlocks, 10000, folder_ / "pattern.bmp"), pattern);
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
  std::string chunk;
  EXPECT_FALSE(
      BuildChunk(state_, kBinaryBlocks, kBytesPerGigabyte, folder_ / "pattern.bmp", &chunk));
  EXPECT_EQ(state_.Number(), files::kPermissionDenied);
  files::CloseAllFiles(holder);
}

}  // namespace
}  // namespace kelvor::engine
