// The time-stamp counter is a feature of the processor, not of the OS: one
// implementation serves both, chosen by architecture.
#include "platform/os_cpu.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

namespace kelvor::os {

#if defined(__i386__) || defined(__x86_64__)

bool HasTimeStampCounter() {
  constexpr unsigned kFeatureLeaf = 1;
  constexpr unsigned kTscBit = 1u << 4;  // EDX of leaf 1
  unsigned eax, ebx, ecx, edx;
  return __get_cpuid(kFeatureLeaf, &eax, &ebx, &ecx, &edx) && (edx & kTscBit) != 0;
}

CounterPair ReadTimeStampCounterTwice() {
  auto first = static_cast<std::uint32_t>(__rdtsc());
  auto second = static_cast<std::uint32_t>(__rdtsc());
  return {first, second};
}

#else

bool HasTimeStampCounter() {
  return false;
}
CounterPair ReadTimeStampCounterTwice() {
  return {0, 0};
}

#endif

}  // namespace kelvor::os
