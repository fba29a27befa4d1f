#include "engine/random_bytes.h"

#include <cstring>
#include <system_error>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// `count` steps at once: the step is an affine map, and so is any power of it.
struct Steps {
  std::uint32_t multiplier = 1, increment = 0;
};
constexpr Steps StepsOf(unsigned count) {
  Steps steps;
  for (unsigned i = 0; i < count; ++i) {
    steps = {steps.multiplier * kMultiplier, steps.increment * kMultiplier + kIncrement};
  }
  return steps;
}

std::uint32_t Jump(std::uint32_t from) {
  constexpr Steps kFour = StepsOf(4);
  return from * kFour.multiplier + kFour.increment;
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

#if defined(__SSE2__)
// Where the processor has SSE2, the bytes are made sixteen at a time: sixteen
// interleaved sequences in four registers, each jumping sixteen steps at once.
constexpr unsigned kLanes = 16;

__m128i StepLanes(__m128i seeds, __m128i multiplier, __m128i increment) {
  __m128i even = _mm_mul_epu32(seeds, multiplier);
  __m128i odd = _mm_mul_epu32(_mm_srli_epi64(seeds, 32), multiplier);
  __m128i low = _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                                   _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
  return _mm_add_epi32(low, increment);
}

// ByteOf in 32-bit lanes, where k × 255 does not fit: with t the seed's top 8
// bits and r its bits 1 to 23, floor(k × 255 / 2^31) is t, less one where
// t × 2^23 > r × 255 (checked against ByteOf for every seed).
__m128i BytesOfLanes(__m128i seeds) {
  constexpr int kLow23 = 0x7FFFFF;
  __m128i top = _mm_srli_epi32(seeds, 24);
  __m128i rest = _mm_and_si128(_mm_srli_epi32(seeds, 1), _mm_set1_epi32(kLow23));
  __m128i rest_times_255 = _mm_sub_epi32(_mm_slli_epi32(rest, 8), rest);
  return _mm_add_epi32(top, _mm_cmpgt_epi32(_mm_slli_epi32(top, 23), rest_times_255));
}

// Draws whole groups of kLanes bytes; `*done` tells how many.
std::uint32_t LanesAfter(std::uint32_t from, char* out, std::size_t count, std::size_t* done) {
  if (count < kLanes) return from;
  alignas(16) std::uint32_t first[kLanes];
  for (std::uint32_t& seed : first) seed = from = Advance(from);
  __m128i s0 = _mm_load_si128(reinterpret_cast<const __m128i*>(first));
  __m128i s1 = _mm_load_si128(reinterpret_cast<const __m128i*>(first + 4));
  __m128i s2 = _mm_load_si128(reinterpret_cast<const __m128i*>(first + 8));
  __m128i s3 = _mm_load_si128(reinterpret_cast<const __m128i*>(first + 12));
  constexpr Steps kJump = StepsOf(kLanes);
  const __m128i multiplier = _mm_set1_epi32(static_cast<int>(kJump.multiplier));
  const __m128i increment = _mm_set1_epi32(static_cast<int>(kJump.increment));
  std::size_t at = 0;
  for (; at + kLanes <= count; at += kLanes) {
    // The bytes are below 255, so the saturating packs keep them as they are.
    __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(BytesOfLanes(s0), BytesOfLanes(s1)),
                                     _mm_packs_epi32(BytesOfLanes(s2), BytesOfLanes(s3)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), bytes);
    from = static_cast<std::uint32_t>(
        _mm_cvtsi128_si32(_mm_shuffle_epi32(s3, _MM_SHUFFLE(3, 3, 3, 3))));
    s0 = StepLanes(s0, multiplier, increment);
    s1 = StepLanes(s1, multiplier, increment);
    s2 = StepLanes(s2, multiplier, increment);
    s3 = StepLanes(s3, multiplier, increment);
  }
  *done = at;
  return from;
}
#endif

// The `count` bytes drawn after the seed `from`; returns the seed after them.
// Each step waits for the one before it, so interleaved sequences keep the
// processor busy and give the same bytes: sixteen in vectors where there are
// any, then four, each jumping four steps at once.
std::uint32_t BytesAfter(std::uint32_t from, char* out, std::size_t count) {
  std::size_t done = 0;
#if defined(__SSE2__)
  from = LanesAfter(from, out, count, &done);
#endif
  if (count - done >= 4) {
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
