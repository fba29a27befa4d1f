// The clock a run measures with: the time of day, as the OS gives it, and
// sleeping. Tests put a fake in its place.
#pragma once

#include "platform/os_time.h"

namespace kelvor::engine {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual os::LocalTime Now() = 0;
  virtual void Sleep(unsigned milliseconds) = 0;
};

class SystemClock : public Clock {
 public:
  os::LocalTime Now() override { return os::CurrentLocalTime(); }
  void Sleep(unsigned milliseconds) override { os::SleepMilliseconds(milliseconds); }
};

// Seconds since local midnight, with milliseconds.
double SecondsOfDay(const os::LocalTime& time);

// Seconds from t0 to t1; a span over midnight counts the day that began.
double ElapsedSeconds(double t0, double t1);

}  // namespace kelvor::engine
