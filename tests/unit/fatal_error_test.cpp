// Fatal error numbers end the process. A separate process is needed to see
// that; the test runs natively, where death tests are at home.
#include <gtest/gtest.h>

#include "files/status.h"

namespace kelvor::files {
namespace {

TEST(StatusDeathTest, AFatalNumberEndsTheProcessWith255) {
  EXPECT_EXIT((void)Failure(kGlobalMemoryCorrupt), testing::ExitedWithCode(kFatalExitCode), "");
  EXPECT_EXIT((void)FromOs(9), testing::ExitedWithCode(kFatalExitCode), "");
  EXPECT_EQ(Failure(kNoError).number, kInternalError);
}

}  // namespace
}  // namespace kelvor::files
