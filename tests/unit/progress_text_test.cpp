#include <gtest/gtest.h>

#include <limits>

#include "engine/clock.h"
#include "text/run_texts.h"

namespace kelvor::text {
namespace {

TEST(ProgressText, RateAndTimeRemaining) {
  EXPECT_EQ(RateText(1234567), "Rate:  1.18 MB/sec.");  // megabytes per second, 2 decimals
  EXPECT_EQ(GigabyteStatusText(13107200, " 1.5 min."),
            "Rate:  12.5 MB/sec. Est Time Remaining:  1.5 min.");
  // The unit is chosen first, then the number rounded; exactly a minute or
  // an hour takes the larger unit.
  const std::pair<float, const char*> cases[] = {
      {59.96f, " 60 sec."},
      {60, " 1 min."},
      {3599, " 60 min."},
      {3600, " 1 hrs."},
      {std::numeric_limits<float>::infinity(), " 9.99999999999999E+998 hrs."},  // no rate yet
      {std::numeric_limits<float>::quiet_NaN(), " 0 hrs."}};
  for (auto [seconds, text] : cases) EXPECT_EQ(TimeRemainingText(seconds), text) << text;
}

TEST(ClockArithmetic, SecondsOfDayAndSpansOverMidnight) {
  EXPECT_DOUBLE_EQ(engine::SecondsOfDay({2026, 12, 34, 56, 789}), 45296.789);
  EXPECT_EQ(engine::ElapsedSeconds(100, 103), 3);
  EXPECT_EQ(engine::ElapsedSeconds(86399, 1), 2);  // 23:59:59 to 00:00:01
}

}  // namespace
}  // namespace kelvor::text
