#include "engine/clock.h"

namespace kelvor::engine {
namespace {

constexpr double kMillisecondsPerHour = 3600000.0;
constexpr double kMillisecondsPerMinute = 60000.0;
constexpr double kMillisecondsPerSecond = 1000.0;
constexpr double kSecondsPerDay = 86400.0;

}  // namespace

double SecondsOfDay(const os::LocalTime& time) {
  return (time.hour * kMillisecondsPerHour + time.minute * kMillisecondsPerMinute +
          time.second * kMillisecondsPerSecond + time.millisecond) /
         kMillisecondsPerSecond;
}

double ElapsedSeconds(double t0, double t1) {
  double elapsed = t1 - t0;
  return elapsed < 0 ? elapsed + kSecondsPerDay : elapsed;
}

}  // namespace kelvor::engine
