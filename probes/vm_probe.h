// A guess, from one timing of the time-stamp counter, whether the program
// runs inside a virtual machine: a hypervisor that intercepts the counter
// makes two back-to-back reads far apart.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/os_cpu.h"

namespace kelvor::probes {

inline constexpr std::uint32_t kVirtualMachineTicks = 512;
inline constexpr int kMaxSingleTickMeasurements = 1000;

struct CounterSource {
  std::function<bool()> available = os::HasTimeStampCounter;
  std::function<os::CounterPair()> read_twice = os::ReadTimeStampCounterTwice;
};

// 1 when the two reads are 512 ticks or more apart (unsigned, modulo 2^32),
// else 0. A difference of exactly 1 is measured again, up to 1000 times; then,
// and without a counter, the answer is 0.
std::int32_t RdtscProbe(const CounterSource& counter = {});

std::int32_t IsVirtualMachine(const CounterSource& counter = {});

}  // namespace kelvor::probes
