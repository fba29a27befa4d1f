// The pseudo-random generator of the fill pattern: a 32-bit seed, a linear
// congruential step, bytes from 0 to 254. Each run has its own.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvor::engine {

class RandomGenerator {
 public:
  // The seed becomes the bits of the time of day as a single-precision value.
  void Seed(double time_of_day);
  std::uint32_t seed() const { return seed_; }

  // Advances the seed and returns a value in [0, 1).
  double Next();
  // `count` bytes into `out`, drawn one after the other: each is
  // floor(Next() × 255), never 255.
  void Bytes(char* out, std::size_t count);

  // The `count` bytes that a generator at seed `from` draws after it has
  // drawn `skipped` bytes, leaving this one as it is: what a chunk drawn
  // from `from` holds at an offset.
  static void BytesAt(std::uint32_t from, std::uint64_t skipped, char* out, std::size_t count);

 private:
  std::uint32_t seed_ = 0;
};

}  // namespace kelvor::engine
