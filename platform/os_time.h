// Time primitives of the OS seam: the local time of day and a plain sleep.
#pragma once

namespace kelvor::os {

struct LocalTime {
  int year = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};
LocalTime CurrentLocalTime();
void SleepMilliseconds(unsigned milliseconds);

}  // namespace kelvor::os
