#include "probes/vm_probe.h"

namespace kelvor::probes {

std::int32_t RdtscProbe(const CounterSource& counter) {
  if (!counter.available()) return 0;
  for (int measurement = 0; measurement < kMaxSingleTickMeasurements; ++measurement) {
    os::CounterPair reads = counter.read_twice();
    std::uint32_t difference = reads.second - reads.first;
    if (difference != 1) return difference < kVirtualMachineTicks ? 0 : 1;
  }
  return 0;
}

std::int32_t IsVirtualMachine(const CounterSource& counter) {
  return RdtscProbe(counter) == 1 ? 1 : 0;
}

}  // namespace kelvor::probes
