#include "engine/random_bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kelvor::engine {
namespace {

TEST(RandomGenerator, TheSeedTakesTheBitsOfTheSinglePrecisionValue) {
  const std::pair<double, std::uint32_t> cases[] = {
      {0.0, 0u}, {1.0, 0x3F800000u}, {0.1, 0x3DCCCCCDu}, {45296.789, 0x4730F0CAu}};  // 12:34:56.789
  RandomGenerator random;
  for (auto [seed, bits] : cases) {
    random.Seed(seed);
    EXPECT_EQ(random.seed(), bits) << seed;
  }
  random.Seed(0.0);
  EXPECT_EQ(random.Next(), 0.0);
  EXPECT_EQ(random.Next(), 67387907 / 2147483648.0);
  EXPECT_EQ(random.seed(), 134775814u);
}

// Each byte is the floor of the next value times 255, so never 255; a chunk
// of any length draws what single draws would (a large one in two halves),
// and any stretch of it can be drawn again from the seed it began at.
TEST(RandomGenerator, EachByteIsTheFloorOfTheNextValueTimes255InChunksOfAnyLength) {
  for (std::size_t length : {0, 1, 3, 4, 5, 8, 1001, 65539, (16 << 20) + 3}) {
    RandomGenerator chunk_random, single_random;
    chunk_random.Seed(1234.5);
    std::uint32_t start = chunk_random.seed();
    std::string chunk(length, '\0');
    chunk_random.Bytes(chunk.data(), length);
    single_random.Seed(1234.5);
    for (std::size_t i = 0; i < length; ++i) {
      auto expected =
          static_cast<int>(std::floor(static_cast<long double>(single_random.Next()) * 255));
      ASSERT_EQ(static_cast<unsigned char>(chunk[i]), expected) << length << " " << i;
    }
    EXPECT_EQ(chunk_random.seed(), single_random.seed()) << length;
    std::string stretch(length / 3, '\0');
    RandomGenerator::BytesAt(start, length - stretch.size(), stretch.data(), stretch.size());
    EXPECT_EQ(stretch, chunk.substr(length - stretch.size())) << length;
  }
}

// The largest value, a seed of 0xFFFFFFFF (k = 2^31 - 1), drawn alone and in
// the middle of a long draw, where the bytes are made many at a time.
TEST(RandomGenerator, TheLargestValueGives254) {
  constexpr std::uint32_t kInverse = 0xD94FA8CDu;  // 134775813 × kInverse ≡ 1 (mod 2^32)
  static_assert(static_cast<std::uint32_t>(134775813u * kInverse) == 1u);
  constexpr std::size_t kLength = 64;
  for (std::size_t place : {std::size_t{0}, std::size_t{37}}) {
    std::uint32_t before = 0xFFFFFFFFu;
    for (std::size_t i = 0; i <= place; ++i) before = (before - 1u) * kInverse;
    std::string bytes(kLength, '\0');
    RandomGenerator::BytesAt(before, 0, bytes.data(), place == 0 ? 1 : kLength);
    EXPECT_EQ(static_cast<unsigned char>(bytes[place]), 254) << place;
  }
}

}  // namespace
}  // namespace kelvor::engine
