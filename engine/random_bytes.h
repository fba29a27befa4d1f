// The pseudo-random generator of the fill pattern: one 32-bit seed for the
// process, a linear congruential step, bytes from 0 to 254.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvor::engine {

// The seed becomes the bits of the time of day as a single-precision value.
void SeedRandom(double time_of_day);
std::uint32_t RandomSeed();

// Advances the seed and returns a value in [0, 1).
double NextRandom();

// floor(NextRandom() × 255): never 255.
unsigned char NextRandomByte();

// count bytes into `out`, drawn one after the other from the generator.
void RandomBytes(char* out, std::size_t count);

}  // namespace kelvor::engine
