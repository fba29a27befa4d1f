// The status-line texts of a run: rate and estimated time remaining.
#pragma once

#include <string>

#include "platform/os_time.h"

namespace kelvor::engine {

inline constexpr double kBytesPerMegabyte = 1048576.0;  // 2^20, the MB of the rate texts

// "Rate:  12.5 MB/sec." for a rate in bytes per second.
std::string RateText(float bytes_per_second);

// " 45 sec.", " 1.5 min." or " 2 hrs.", rounded to one decimal in its unit.
std::string TimeRemainingText(float seconds);

// "Rate: ... MB/sec. Est Time Remaining: ..."
std::string GigabyteStatusText(float bytes_per_second, const std::string& time_remaining);

// Seconds since local midnight, with milliseconds.
double SecondsOfDay(const os::LocalTime& time);

// Seconds from t0 to t1; a span over midnight counts the day that began.
double ElapsedSeconds(double t0, double t1);

}  // namespace kelvor::engine
