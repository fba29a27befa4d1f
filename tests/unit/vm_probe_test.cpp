#include "probes/vm_probe.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace kelvor::probes {
namespace {

// A counter that gives the listed differences, one measurement each, the
// last one again and again (none at all without a counter); it counts the
// measurements taken.
struct ScriptedCounter {
  std::vector<std::uint32_t> differences;
  std::uint32_t start = 1000;
  int measurements = 0;

  CounterSource Source() {
    return {[this] { return !differences.empty(); },
            [this]() -> os::CounterPair {
              std::size_t i = std::min<std::size_t>(measurements++, differences.size() - 1);
              return {start, start + differences[i]};
            }};
  }
};

// 512 ticks or more between two reads of the counter (modulo 2^32) mean a
// virtual machine; a single tick is measured again, up to 1000 times; no
// counter means no virtual machine.
TEST(RdtscProbe, TheThresholdIs512TicksAndASingleTickIsMeasuredAgain) {
  const std::tuple<std::vector<std::uint32_t>, std::uint32_t, std::int32_t, int> cases[] = {
      {{511}, 1000, 0, 1},
      {{512}, 1000, 1, 1},
      {{600}, 0xFFFFFF00u, 1, 1},  // the low 32 bits wrapped
      {{1, 1, 1, 700}, 1000, 1, 4},
      {{1}, 1000, 0, kMaxSingleTickMeasurements},
      {{}, 1000, 0, 0}};
  for (const auto& [differences, start, found, measurements] : cases) {
    ScriptedCounter counter{differences, start};
    EXPECT_EQ(RdtscProbe(counter.Source()), found) << measurements;
    EXPECT_EQ(counter.measurements, measurements) << measurements;
    EXPECT_EQ(IsVirtualMachine(ScriptedCounter{differences, start}.Source()), found);
  }
}

}  // namespace
}  // namespace kelvor::probes
