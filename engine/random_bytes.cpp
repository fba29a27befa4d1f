#include "engine/random_bytes.h"

#include <cstring>

namespace kelvor::engine {
namespace {

constexpr std::uint32_t kMultiplier = 134775813;  // 0x08088405
constexpr std::uint32_t kIncrement = 1;
constexpr double kTwoToThe31 = 2147483648.0;
constexpr std::uint64_t kByteScale = 255;

std::uint32_t seed = 0;

// The new seed shifted right by one: k in [0, 2^31), the value being k / 2^31.
std::uint32_t Step() {
  seed = seed * kMultiplier + kIncrement;
  return seed >> 1;
}

}  // namespace

void SeedRandom(double time_of_day) {
  float single = static_cast<float>(time_of_day);
  static_assert(sizeof single == sizeof seed);
  std::memcpy(&seed, &single, sizeof seed);
}

std::uint32_t RandomSeed() {
  return seed;
}

double NextRandom() {
  return Step() / kTwoToThe31;
}

// k / 2^31 × 255 exactly, then its floor: integer arithmetic gives the same.
unsigned char NextRandomByte() {
  return static_cast<unsigned char>((Step() * kByteScale) >> 31);
}

std::string RandomChunk(std::size_t count) {
  std::string bytes(count, '\0');
  for (char& byte : bytes) byte = static_cast<char>(NextRandomByte());
  return bytes;
}

}  // namespace kelvor::engine
