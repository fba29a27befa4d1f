#include "engine/random_bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace kelvor::engine {
namespace {

std::string Random(std::size_t count) {
  std::string bytes(count, '\0');
  RandomBytes(bytes.data(), count);
  return bytes;
}

TEST(SeedRandom, TakesTheBitsOfTheSinglePrecisionValue) {
  SeedRandom(0.0);
  EXPECT_EQ(RandomSeed(), 0u);
  SeedRandom(1.0);
  EXPECT_EQ(RandomSeed(), 0x3F800000u);
  SeedRandom(0.1);  // rounded to the nearest single first
  EXPECT_EQ(RandomSeed(), 0x3DCCCCCDu);
  SeedRandom(45296.789);  // 12:34:56.789
  EXPECT_EQ(RandomSeed(), 0x4730F0CAu);
}

TEST(NextRandom, FirstValuesFromSeedZero) {
  SeedRandom(0.0);
  EXPECT_EQ(NextRandom(), 0.0);
  EXPECT_EQ(RandomSeed(), 1u);
  EXPECT_EQ(NextRandom(), 67387907 / 2147483648.0);
  EXPECT_EQ(RandomSeed(), 134775814u);
}

TEST(RandomBytes, EachIsTheFloorOfTheValueTimes255) {
  SeedRandom(1234.5);
  std::string chunk = Random(100000);
  SeedRandom(1234.5);
  int smallest = 255, largest = 0;
  for (char byte : chunk) {
    auto expected = static_cast<int>(std::floor(static_cast<long double>(NextRandom()) * 255));
    ASSERT_EQ(static_cast<unsigned char>(byte), expected);
    smallest = std::min(smallest, expected);
    largest = std::max(largest, expected);
  }
  EXPECT_EQ(smallest, 0);
  EXPECT_EQ(largest, 254);  // never 255
}

TEST(RandomBytes, AChunkOfAnyLengthDrawsTheSameBytesAsSingleDraws) {
  for (std::size_t length : {0, 1, 3, 4, 5, 8, 1001, 65539}) {
    SeedRandom(777.25);
    std::string chunk = Random(length);
    std::uint32_t seed_after_chunk = RandomSeed();
    SeedRandom(777.25);
    std::string one_by_one;
    for (std::size_t i = 0; i < length; ++i) one_by_one += static_cast<char>(NextRandomByte());
    EXPECT_EQ(chunk, one_by_one) << length;
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
