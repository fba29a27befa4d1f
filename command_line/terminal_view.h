// The run as a terminal shows it: the status texts on one line updated in
// place, at least every second and cut to the terminal's width, after a bar,
// the percent and the gigabytes written of the free space, and a summary at
// the end. When the output is no terminal, a status line at most every 5
// seconds. The rate
// and the time remaining are the view's own: the bytes the run has written
// over the monotonic clock's time since the start.
// A status line that the output cannot take at once is dropped: a stalled
// pipe or a stopped terminal never keeps the run, and its full disk, waiting.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "engine/run_window.h"

namespace kelvor::command_line {

class TerminalView : public engine::RunWindow {
 public:
  using Interrupted = std::function<void(int signal_number)>;
  using Clock = std::chrono::steady_clock;
  using Now = std::function<Clock::time_point()>;

  // on_interrupt runs inside a pump step once an interrupt has come.
  TerminalView(std::FILE* out, bool interactive, Interrupted on_interrupt, Now now = Clock::now);

  // -q: the status texts are not shown; errors still are.
  void ShowNoStatus() { quiet_ = true; }

  void OnStage(engine::Stage stage) override;
  void OnStarted(const engine::RunStart& start) override;
  void OnChunkWritten(const engine::ChunkWritten& chunk) override;
  void OnSliceWritten(std::uint64_t bytes) override;
  void OnPartWritten(std::int32_t) override {}
  void OnPaused() override;
  void OnError(files::Status report) override;
  void OnFinished(const engine::RunOutcome&) override {}
  void PumpStep() override;
  bool PauseRequested() override { return false; }

  // "Wrote 1.2 GB in 8 s, 150.3 MB/sec." after the run; "Wrote nothing in 0.1 s."
  // when nothing was written; then what reading back found.
  void PrintSummary(const engine::RunOutcome& outcome);

 private:
  double SecondsSinceStart();
  std::string MeasuredStatus();
  std::string ProgressText() const;
  void Show(std::string status, bool always = false);
  void Draw();
  void DrawIfDue();
  void EndLine();

  std::FILE* out_;
  bool interactive_;
  Interrupted on_interrupt_;
  Now now_;
  Clock::time_point started_, last_printed_, last_drawn_;
  std::string status_;
  bool showing_rate_ = false;  // the status is the rate, measured anew at each drawing
  std::uint64_t free_at_start_ = 0, written_ = 0;
  double writing_seconds_ = 0;  // when the deletion began
  bool line_open_ = false, printed_any_ = false, finished_writing_ = false, quiet_ = false;
};

}  // namespace kelvor::command_line
