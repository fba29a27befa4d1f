#include "files/error_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelvor::files {
namespace {

TEST(ErrorState, AFailureWithoutTrapStaysRecordedThroughLaterSuccesses) {
  ErrorState state;
  state.Record(kPathFileAccessError);
  EXPECT_FALSE(state.Check());
  EXPECT_FALSE(state.Check());  // later statements that succeed
  EXPECT_EQ(state.Number(), kPathFileAccessError);
  state.Record(kDiskFull);
  EXPECT_EQ(state.Number(), kDiskFull);  // a later failure replaces it
  state.Clear();
  EXPECT_EQ(state.Number(), kNoError);
}

TEST(ErrorState, RecordingZeroRecordsInternalError) {
  ErrorState state;
  state.Record(kNoError);
  EXPECT_EQ(state.Number(), kInternalError);
}

// A trapped procedure written the way the program writes one: its phase
// returns at the first failed check, and nothing after that statement runs.
std::vector<int> RunTrappedPhase(ErrorState& state, int failing_statement) {
  std::vector<int> executed;
  for (int statement = 1; statement <= 4; ++statement) {
    executed.push_back(statement);
    if (statement == failing_statement) state.Record(kDiskFull);
    if (state.Check()) return executed;
  }
  return executed;
}

TEST(ErrorState, WithATrapTheFailingStatementIsTheLastOneExecuted) {
  ErrorState state;
  state.Record(kPathFileAccessError);  // before the trap: only recorded
  state.SetTrap();                     // setting the trap clears the pending error
  EXPECT_EQ(RunTrappedPhase(state, 2), (std::vector<int>{1, 2}));
  EXPECT_EQ(state.Number(), kDiskFull);
  EXPECT_TRUE(state.HasTrap());  // taking the trap does not unset it
}

TEST(ErrorState, SettingTheTrapKeepsAnEarlierNumberForTheReport) {
  ErrorState state;
  state.Record(kPathFileAccessError);
  state.SetTrap();
  EXPECT_EQ(RunTrappedPhase(state, 0), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(state.Number(), kPathFileAccessError);
}

}  // namespace
}  // namespace kelvor::files
