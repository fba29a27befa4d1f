// A window and a clock for runs in tests: the window records what the run
// shows and lets the test act inside the run's pump steps; the clock moves on
// by a fixed step at every reading.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/run_window.h"

namespace kelvor::test {

class FakeWindow : public engine::RunWindow {
 public:
  struct Message {
    std::string text;
    std::string caption;
    std::uint32_t style;
  };

  void SetStatus(std::string_view text) override {
    statuses.emplace_back(text);
    if (on_status) on_status(statuses.back());
  }
  void SetProgressRange(std::int32_t maximum) override { progress_maximum = maximum; }
  void SetProgressStep(std::int32_t step) override { progress_step = step; }
  void StepProgress() override {
    progress_position += progress_step;
    ++progress_steps;
  }
  void SetProgressPosition(std::int32_t position) override { progress_position = position; }
  void ShowMessage(std::string_view text, std::string_view caption, std::uint32_t style) override {
    messages.push_back({std::string(text), std::string(caption), style});
  }
  void PumpStep() override {
    if (on_pump) on_pump();
  }

  std::vector<std::string> statuses;
  std::vector<Message> messages;
  std::int32_t progress_maximum = -1;
  std::int32_t progress_step = 0;
  std::int32_t progress_position = -1;
  int progress_steps = 0;
  std::function<void()> on_pump;
  std::function<void(const std::string&)> on_status;
};

class FakeClock : public engine::Clock {
 public:
  FakeClock(double start_seconds, double step_seconds)
      : now_milliseconds_(static_cast<long>(start_seconds * 1000)),
        step_milliseconds_(static_cast<long>(step_seconds * 1000)) {}

  os::LocalTime Now() override {
    long now = now_milliseconds_ % kDay;
    now_milliseconds_ += step_milliseconds_;
    return {year, static_cast<int>(now / 3600000), static_cast<int>(now / 60000 % 60),
            static_cast<int>(now / 1000 % 60), static_cast<int>(now % 1000)};
  }
  void Sleep(unsigned milliseconds) override { sleeps.push_back(milliseconds); }

  std::vector<unsigned> sleeps;
  int year = 2026;

 private:
  static constexpr long kDay = 86400000;
  long now_milliseconds_;
  long step_milliseconds_;
};

}  // namespace kelvor::test
