#include "probes/vm_probe.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvor::probes {
namespace {

// A counter that gives the listed differences, one measurement each, the
// last one again and again; it counts the measurements taken.
struct ScriptedCounter {
  std::vector<std::uint32_t> differences;
  std::uint32_t start = 1000;
  int measurements = 0;

  CounterSource Source() {
    return {[] { return true; },
            [this]() -> os::CounterPair {
              std::size_t i = std::min<std::size_t>(measurements++, differences.size() - 1);
              return {start, start + differences[i]};
            }};
  }
};

std::int32_t Probe(std::vector<std::uint32_t> differences, std::uint32_t start = 1000) {
  ScriptedCounter counter{std::move(differences), start};
  return RdtscProbe(counter.Source());
}

TEST(RdtscProbe, TheThresholdIs512Ticks) {
  EXPECT_EQ(Probe({511}), 0);
  EXPECT_EQ(Probe({512}), 1);
  EXPECT_EQ(Probe({0}), 0);
  EXPECT_EQ(Probe({100000}), 1);
}

TEST(RdtscProbe, TheDifferenceIsTakenModulo2To32) {
  EXPECT_EQ(Probe({20}, 0xFFFFFFF0u), 0);  // the low 32 bits wrapped between the reads
  EXPECT_EQ(Probe({600}, 0xFFFFFF00u), 1);
}

TEST(RdtscProbe, ASingleTickIsMeasuredAgain) {
  ScriptedCounter counter{{1, 1, 1, 700}};
  EXPECT_EQ(RdtscProbe(counter.Source()), 1);
  EXPECT_EQ(counter.measurements, 4);
}

TEST(RdtscProbe, GivesUpAfter1000SingleTicks) {
  ScriptedCounter counter{{1}};
  EXPECT_EQ(RdtscProbe(counter.Source()), 0);
  EXPECT_EQ(counter.measurements, kMaxSingleTickMeasurements);
}

TEST(RdtscProbe, NoCounterMeansNoVirtualMachine) {
  int reads = 0;
  CounterSource none{[] { return false; },
                     [&reads]() -> os::CounterPair {
                       ++reads;
                       return {0, 100000};
                     }};
  EXPECT_EQ(RdtscProbe(none), 0);
  EXPECT_EQ(IsVirtualMachine(none), 0);
  EXPECT_EQ(reads, 0);
}

TEST(IsVirtualMachine, FollowsTheProbe) {
  ScriptedCounter far{{4096}};
  EXPECT_EQ(IsVirtualMachine(far.Source()), 1);
  ScriptedCounter near{{30}};
  EXPECT_EQ(IsVirtualMachine(near.Source()), 0);
}

}  // namespace
}  // namespace kelvor::probes
