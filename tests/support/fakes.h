// A window and a clock for runs in tests: the window records the run's
// events, and the status texts and progress the main window would show for
// them, and lets the test act inside the run's pump steps; the clock moves
// on by a fixed step at every reading.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/clock.h"
#include "engine/run_window.h"
#include "window/status_texts.h"

namespace kelvor::test {

class FakeWindow : public engine::RunWindow {
 public:
  void OnStage(engine::Stage stage) override {
    stages.push_back(stage);
    if (stage == engine::Stage::kGigabyteParts) progress_maximum = parts;
    if (std::optional<std::string> text = window::StageText(stage)) Status(*text);
  }
  void OnStarted(const engine::RunStart& start) override {
    started.push_back(start);
    parts = start.parts;
  }
  void OnChunkWritten(const engine::ChunkWritten& chunk) override {
    chunks.push_back(chunk);
    Status(window::ChunkText(chunk));
  }
  void OnSliceWritten(std::uint64_t bytes) override { sliced_bytes += bytes; }
  void OnPartWritten(std::int32_t) override { ++progress_steps; }
  void OnPaused() override { Status("Paused. Select Resume to continue, or Cancel to end ..."); }
  void OnError(files::Status report) override { reports.push_back(report.number); }
  void OnFinished(const engine::RunOutcome&) override { ++finished; }
  void PumpStep() override {
    if (on_pump) on_pump();
  }
  bool PauseRequested() override { return paused; }

  std::vector<engine::Stage> stages;
  std::vector<engine::RunStart> started;
  std::vector<engine::ChunkWritten> chunks;
  std::vector<std::string> statuses;
  std::vector<files::ErrorNumber> reports;
  std::int32_t parts = 0;
  std::int32_t progress_maximum = -1;  // set when the gigabyte parts begin
  int progress_steps = 0;
  std::uint64_t sliced_bytes = 0;
  int finished = 0;
  bool paused = false;  // what the Pause button sets
  std::function<void()> on_pump;
  std::function<void(const std::string&)> on_status;

 private:
  void Status(const std::string& text) {
    statuses.push_back(text);
    if (on_status) on_status(text);
  }
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
