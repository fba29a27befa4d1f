// Fatal error numbers end the process. A separate process is needed to see
// that; the test runs natively, where death tests are at home.
#include <gtest/gtest.h>

#include "files/error_state.h"

namespace kelvor::files {
namespace {

TEST(ErrorStateDeathTest, AFatalNumberEndsTheProcessWith255) {
  ErrorState state;
  state.SetTrap();
  EXPECT_EXIT(state.Record(kGlobalMemoryCorrupt), testing::ExitedWithCode(kFatalExitCode), "");
  EXPECT_EXIT(state.Record(MapOsError(9)), testing::ExitedWithCode(kFatalExitCode), "");
}

}  // namespace
}  // namespace kelvor::files
