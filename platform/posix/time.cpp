#include <time.h>

#include <cerrno>

#include "platform/os_time.h"

namespace kelvor::os {

LocalTime CurrentLocalTime() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  tm local;
  localtime_r(&now.tv_sec, &local);
  return {local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec,
          static_cast<int>(now.tv_nsec / 1000000)};
}

void SleepMilliseconds(unsigned milliseconds) {
  timespec pause{static_cast<time_t>(milliseconds / 1000),
                 static_cast<long>(milliseconds % 1000) * 1000000L};
  // A signal cuts the pause short and leaves the rest in `pause`; any other
  // failure would fail again at once, so it ends the pause.
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

}  // namespace kelvor::os
