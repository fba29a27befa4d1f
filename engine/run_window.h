// What a wipe run sees of the world besides files: the window it reports to
// and the clock it measures with. Tests put fakes in their place.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/os_time.h"

namespace kelvor::engine {

class RunWindow {
 public:
  virtual ~RunWindow() = default;
  virtual void SetStatus(std::string_view text) = 0;
  virtual void SetProgressRange(std::int32_t maximum) = 0;  // from 0
  virtual void SetProgressStep(std::int32_t step) = 0;
  virtual void StepProgress() = 0;
  virtual void SetProgressPosition(std::int32_t position) = 0;
  // Appears even when there is no window.
  virtual void ShowMessage(std::string_view text, std::string_view caption,
                           std::uint32_t style) = 0;
  // Lets the window handle one pending message; its handlers run inside.
  virtual void PumpStep() = 0;
};

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

}  // namespace kelvor::engine
