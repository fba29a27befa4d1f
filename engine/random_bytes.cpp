#include "engine/random_bytes.h"

#include <cstring>
#include <system_error>
#include <thread>

namespace kelvor::engine {
namespace {

constexpr std::uint32_t kMultiplier = 134775813;  // 0x08088405
constexpr std::uint32_t kIncrement = 1;
constexpr double kTwoToThe31 = 2147483648.0;
constexpr std::uint64_t kByteScale = 255;
constexpr std::size_t kSplitBytes = 16 << 20;  // below this, a second thread gains little

std::uint32_t Advance(std::uint32_t from) {
  return from * kMultiplier + kIncrement;
}

// Four steps at once.
std::uint32_t Jump(std::uint32_t from) {
  constexpr std::uint32_t kJumpMultiplier = kMultiplier * kMultiplier * kMultiplier * kMultiplier;
  constexpr std::uint32_t kJumpIncrement =
      kIncrement *
      (1 + kMultiplier + kMultiplier * kMultiplier + kMultiplier * kMultiplier * kMultiplier);
  return from * kJumpMultiplier + kJumpIncrement;
}

// k / 2^31 × 255 exactly, then its floor: integer arithmetic gives the same.
unsigned char ByteOf(std::uint32_t new_seed) {
  return static_cast<unsigned char>(((new_seed >> 1) * kByteScale) >> 31);
}

// The seed `steps` steps after `from`: the step, an affine map, raised to
// that power by squaring.
std::uint32_t Skip(std::uint32_t from, std::uint64_t steps) {
  std::uint32_t multiplier = kMultiplier, increment = kIncrement;  // 2^i steps
  for (; steps > 0; steps >>= 1) {
    if (steps & 1) from = from * multiplier + increment;
    increment = increment * multiplier + increment;
    multiplier *= multiplier;
  }
  return from;
}

// The `count` bytes drawn after the seed `from`; returns the seed after them.
// Each step waits for the one before it; four interleaved sequences, each
// jumping four steps at once, keep the processor busy and give the same bytes.
std::uint32_t BytesAfter(std::uint32_t from, char* out, std::size_t count) {
  std::size_t done = 0;
  if (count >= 4) {
    std::uint32_t s0 = Advance(from), s1 = Advance(s0), s2 = Advance(s1), s3 = Advance(s2);
    for (; done + 4 <= count; done += 4) {
      out[done] = static_cast<char>(ByteOf(s0));
      out[done + 1] = static_cast<char>(ByteOf(s1));
      out[done + 2] = static_cast<char>(ByteOf(s2));
      out[done + 3] = static_cast<char>(ByteOf(s3));
      from = s3;
      s0 = Jump(s0), s1 = Jump(s1), s2 = Jump(s2), s3 = Jump(s3);
    }
  }
  for (; done < count; ++done) {
    from = Advance(from);
    out[done] = static_cast<char>(ByteOf(from));
  }
  return from;
}

}  // namespace

void RandomGenerator::Seed(double time_of_day) {
  float single = static_cast<float>(time_of_day);
  static_assert(sizeof single == sizeof seed_);
  std::memcpy(&seed_, &single, sizeof seed_);
}

// The value is the new seed shifted right by one, k / 2^31 for k in [0, 2^31).
double RandomGenerator::Next() {
  seed_ = Advance(seed_);
  return (seed_ >> 1) / kTwoToThe31;
}

void RandomGenerator::Bytes(char* out, std::size_t count) {
  BytesAt(seed_, 0, out, count);
  seed_ = Skip(seed_, count);
}

// A chunk of a gigabyte part takes a tenth of a second to draw, while the
// device waits: a second thread draws its second half from the seed there.
void RandomGenerator::BytesAt(std::uint32_t from, std::uint64_t skipped, char* out,
                              std::size_t count) {
  std::uint32_t seed = Skip(from, skipped);
  std::size_t half = count >= kSplitBytes ? count / 2 : count;
  std::uint32_t middle = Skip(seed, half);
  std::thread second;
  if (half < count) {
    try {
      second = std::thread(BytesAfter, middle, out + half, count - half);
    } catch (const std::system_error&) {
      half = count;  // no thread to be had: all in this one
    }
  }
  BytesAfter(seed, out, half);
  if (second.joinable()) second.join();
}

}  // namespace kelvor::engine
