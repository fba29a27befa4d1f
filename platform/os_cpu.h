// The processor's time-stamp counter.
#pragma once

#include <cstdint>

namespace kelvor::os {

struct CounterPair {
  std::uint32_t first;
  std::uint32_t second;
};

bool HasTimeStampCounter();

// The low 32 bits of the counter, read twice in a row with nothing between
// the reads but keeping the first value.
CounterPair ReadTimeStampCounterTwice();

}  // namespace kelvor::os
