#include "engine/progress_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace kelvor::engine {
namespace {

TEST(RateText, MegabytesPerSecondToTwoDecimals) {
  EXPECT_EQ(RateText(13107200), "Rate:  12.5 MB/sec.");
  EXPECT_EQ(RateText(0), "Rate:  0 MB/sec.");
  EXPECT_EQ(RateText(107374182.4f), "Rate:  102.4 MB/sec.");
  EXPECT_EQ(RateText(1234567), "Rate:  1.18 MB/sec.");
}

TEST(TimeRemainingText, TheUnitIsChosenFirstThenRounded) {
  EXPECT_EQ(TimeRemainingText(59.96f), " 60 sec.");
  EXPECT_EQ(TimeRemainingText(0), " 0 sec.");
  EXPECT_EQ(TimeRemainingText(12.34f), " 12.3 sec.");
  EXPECT_EQ(TimeRemainingText(90), " 1.5 min.");
  EXPECT_EQ(TimeRemainingText(3599), " 60 min.");
  EXPECT_EQ(TimeRemainingText(7200), " 2 hrs.");
}

TEST(TimeRemainingText, ExactlyAMinuteOrAnHourTakeTheLargerUnit) {
  EXPECT_EQ(TimeRemainingText(60), " 1 min.");
  EXPECT_EQ(TimeRemainingText(3600), " 1 hrs.");
}

TEST(TimeRemainingText, BeforeAnyRateWasMeasured) {
  EXPECT_EQ(TimeRemainingText(std::numeric_limits<float>::infinity()),
            " 9.99999999999999E+998 hrs.");
  EXPECT_EQ(TimeRemainingText(std::numeric_limits<float>::quiet_NaN()), " 0 hrs.");
}

TEST(GigabyteStatusText, RateThenTimeRemaining) {
  EXPECT_EQ(GigabyteStatusText(13107200, " 1.5 min."),
            "Rate:  12.5 MB/sec. Est Time Remaining:  1.5 min.");
}

TEST(ClockArithmetic, SecondsOfDayAndSpansOverMidnight) {
  EXPECT_DOUBLE_EQ(SecondsOfDay({2026, 12, 34, 56, 789}), 45296.789);
  EXPECT_DOUBLE_EQ(SecondsOfDay({2026, 0, 0, 0, 0}), 0);
  EXPECT_EQ(ElapsedSeconds(100, 103), 3);
  EXPECT_EQ(ElapsedSeconds(86399, 1), 2);  // 23:59:59 to 00:00:01
}

}  // namespace
}  // namespace kelvor::engine
