// The run as a terminal shows it: the status texts on one line updated in
// place, with a bar of the gigabyte parts, and a summary at the end. When
// the output is no terminal, a status line at most every 5 seconds. The rate
// and the time remaining are the view's own: the bytes written so far (the
// drive's free space at the start less now) over the monotonic clock's time.
// A status line that the output cannot take at once is dropped: a stalled
// pipe or a stopped terminal never keeps the run, and its full disk, waiting.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "engine/run_window.h"

namespace kelvor::ui {

class TerminalView : public engine::RunWindow {
 public:
  using Interrupted = std::function<void(int signal_number)>;
  using Clock = std::chrono::steady_clock;

  // What the view measures with. Tests put fakes here.
  struct Gauges {
    std::function<Clock::time_point()> now;
    std::function<std::uint64_t()> free_bytes;  // of the drive being wiped
  };

  // Measures drive_root ("D:") with steady_clock; on_interrupt runs inside a
  // pump step once an interrupt has come.
  TerminalView(std::FILE* out, bool interactive, std::string drive_root, Interrupted on_interrupt);
  TerminalView(std::FILE* out, bool interactive, Gauges gauges, Interrupted on_interrupt);

  void SetStatus(std::string_view text) override;
  void SetProgressRange(std::int32_t maximum) override { parts_ = maximum; }
  void SetProgressStep(std::int32_t step) override { step_ = step; }
  void StepProgress() override;
  void SetProgressPosition(std::int32_t position) override { done_ = position; }
  void ShowMessage(std::string_view text, std::string_view caption, std::uint32_t style) override;
  void PumpStep() override;

  // "Wrote 1.2 GB in 8 s, 150.3 MB/sec." after the run; "Wrote 0 MB in 0.1 s."
  // when nothing was written.
  void PrintSummary();

 private:
  struct Measurement {
    double bytes = 0;    // written since the start
    double seconds = 0;  // since the start
    std::uint64_t free_bytes = 0;
    bool Known() const { return bytes > 0 && seconds > 0; }
    double BytesPerSecond() const { return Known() ? bytes / seconds : 0; }
  };
  std::uint64_t FreeBytes();
  Measurement Measure();
  static std::string MeasuredStatus(const Measurement& measurement);
  void Draw();
  void EndLine();

  std::FILE* out_;
  bool interactive_;
  Gauges gauges_;
  Interrupted on_interrupt_;
  std::string status_;
  std::int32_t parts_ = 0, step_ = 1, done_ = 0;
  bool line_open_ = false;
  Clock::time_point started_, last_printed_;
  std::uint64_t free_at_start_ = 0;
  Measurement written_;  // when the writing ended
  bool printed_any_ = false, finished_writing_ = false;
};

}  // namespace kelvor::ui
