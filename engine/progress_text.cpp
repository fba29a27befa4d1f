#include "engine/progress_text.h"

#include "engine/number_text.h"

namespace kelvor::engine {
namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr double kSecondsPerHour = 3600.0;
constexpr double kSecondsPerDay = 86400.0;

}  // namespace

std::string RateText(float bytes_per_second) {
  return "Rate: " + NumberText(RoundToDecimals(bytes_per_second / kBytesPerMegabyte, 2)) +
         " MB/sec.";
}

std::string TimeRemainingText(float seconds) {
  // Not-a-number fails both comparisons and so is shown in hours.
  if (seconds < kSecondsPerMinute) return NumberText(RoundToDecimals(seconds, 1)) + " sec.";
  if (seconds < kSecondsPerHour) {
    return NumberText(RoundToDecimals(seconds / kSecondsPerMinute, 1)) + " min.";
  }
  return NumberText(RoundToDecimals(seconds / kSecondsPerHour, 1)) + " hrs.";
}

std::string GigabyteStatusText(float bytes_per_second, const std::string& time_remaining) {
  return RateText(bytes_per_second) + " Est Time Remaining: " + time_remaining;
}

double SecondsOfDay(const os::LocalTime& time) {
  return (time.hour * 3600000.0 + time.minute * 60000.0 + time.second * 1000.0 + time.millisecond) /
         1000.0;
}

double ElapsedSeconds(double t0, double t1) {
  double elapsed = t1 - t0;
  return elapsed < 0 ? elapsed + kSecondsPerDay : elapsed;
}

}  // namespace kelvor::engine
