#include <gtest/gtest.h>

#include "test_platform.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (!kelvor::test::PrepareTestEnvironment()) return 1;
  return RUN_ALL_TESTS();
}
