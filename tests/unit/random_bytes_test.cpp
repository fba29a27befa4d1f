#include "engine/random_bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace kelvor::engine {
namespace {

TEST(SeedRandom, TakesTheBitsOfTheSinglePrecisionValue) {
  const std::pair<double, std::uint32_t> cases[] = {
      {0.0, 0u}, {1.0, 0x3F800000u}, {0.1, 0x3DCCCCCDu}, {45296.789, 0x4730F0CAu}};  // 12:34:56.789
  for (auto [seed, bits] : cases) {
    SeedRandom(seed);
    EXPECT_EQ(RandomSeed(), bits) << seed;
  }
  SeedRandom(0.0);
  EXPECT_EQ(NextRandom(), 0.0);
  EXPECT_EQ(NextRandom(), 67387907 / 2147483648.0);
  EXPECT_EQ(RandomSeed(), 134775814u);
}

// Each byte is the floor of the next value times 255, so never 255; a chunk
// of any length draws what single draws would (a large one in two halves).
TEST(RandomBytes, EachIsTheFloorOfTheNextValueTimes255InChunksOfAnyLength) {
  for (std::size_t length : {0, 1, 3, 4, 5, 8, 1001, 65539, (16 << 20) + 3}) {
    SeedRandom(1234.5);
    std::string chunk(length, '\0');
    RandomBytes(chunk.data(), length);
    std::uint32_t seed_after_chunk = RandomSeed();
    SeedRandom(1234.5);
    for (std::size_t i = 0; i < length; ++i) {
      auto expected = static_cast<int>(std::floor(static_cast<long double>(NextRandom()) * 255));
      ASSERT_EQ(static_cast<unsigned char>(chunk[i]), expected) << length << " " << i;
    }
    EXPECT_EQ(seed_after_chunk, RandomSeed()) << length;
  }
}

TEST(RandomBytes, TheLargestValueGives254) {
  // A seed whose successor is 0xFFFFFFFF: k = 2^31 - 1.
  constexpr std::uint32_t kInverse = 0xD94FA8CDu;  // 134775813 × kInverse ≡ 1 (mod 2^32)
  static_assert(static_cast<std::uint32_t>(134775813u * kInverse) == 1u);
  std::uint32_t before = (0xFFFFFFFFu - 1u) * kInverse;
  float as_single;
  std::memcpy(&as_single, &before, sizeof before);
  SeedRandom(as_single);
  ASSERT_EQ(RandomSeed(), before);
  EXPECT_EQ(NextRandomByte(), 254);
}

}  // namespace
}  // namespace kelvor::engine
