#include "files/error_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvor::files {
namespace {

// Without a trap a failure stays recorded through later statements that
// succeed, until a later failure replaces it; recording 0 records 51.
TEST(ErrorState, AFailureWithoutTrapStaysRecorded) {
  ErrorState state;
  state.Record(kPathFileAccessError);
  EXPECT_FALSE(state.Check());
  EXPECT_FALSE(state.Check());
  EXPECT_EQ(state.Number(), kPathFileAccessError);
  state.Record(kNoError);
  EXPECT_EQ(state.Number(), kInternalError);
}

// A trapped phase written the way the program writes one: it returns at the
// first failed check, and nothing after that statement runs.
std::vector<int> RunTrappedPhase(ErrorState& state, int failing_statement) {
  std::vector<int> executed;
  for (int statement = 1; statement <= 4; ++statement) {
    executed.push_back(statement);
    if (statement == failing_statement) state.Record(kDiskFull);
    if (state.Check()) return executed;
  }
  return executed;
}

// Setting the trap takes an earlier number out of the checks but keeps it
// for the report; taking the trap does not unset it.
TEST(ErrorState, WithATrapTheFailingStatementIsTheLastOneExecuted) {
  ErrorState state;
  state.Record(kPathFileAccessError);
  state.SetTrap();
  EXPECT_EQ(RunTrappedPhase(state, 0), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(state.Number(), kPathFileAccessError);
  EXPECT_EQ(RunTrappedPhase(state, 2), (std::vector<int>{1, 2}));
  EXPECT_EQ(state.Number(), kDiskFull);
  EXPECT_TRUE(state.HasTrap());
}

}  // namespace
}  // namespace kelvor::files
