#include <windows.h>

#include "platform/os_time.h"

namespace kelvor::os {

LocalTime CurrentLocalTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

void SleepMilliseconds(unsigned milliseconds) {
  Sleep(milliseconds);
}

}  // namespace kelvor::os
