// The run as a terminal shows it: the status texts on one line updated in
// place, with a bar of the gigabyte parts, and a summary at the end. When
// the output is no terminal, a status line at most every 5 seconds.
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

  // drive_root ("D:") is measured for the summary; on_interrupt runs inside a
  // pump step once an interrupt has come.
  TerminalView(std::FILE* out, bool interactive, std::string drive_root, Interrupted on_interrupt);

  void SetStatus(std::string_view text) override;
  void SetProgressRange(std::int32_t maximum) override { parts_ = maximum; }
  void SetProgressStep(std::int32_t step) override { step_ = step; }
  void StepProgress() override;
  void SetProgressPosition(std::int32_t position) override { done_ = position; }
  void ShowMessage(std::string_view text, std::string_view caption, std::uint32_t style) override;
  void PumpStep() override;

  // "Wrote 1.2 GB in 8 s, 150.3 MB/sec." after the run.
  void PrintSummary();

 private:
  using Clock = std::chrono::steady_clock;
  void Draw();
  void EndLine();
  std::uint64_t FreeBytes() const;

  std::FILE* out_;
  bool interactive_;
  std::string drive_root_;
  Interrupted on_interrupt_;
  std::string status_;
  std::int32_t parts_ = 0, step_ = 1, done_ = 0;
  bool line_open_ = false;
  std::uint64_t free_at_start_ = 0, free_at_end_ = 0;
  Clock::time_point started_, finished_, last_printed_;
  bool printed_any_ = false, finished_writing_ = false;
};

}  // namespace kelvor::ui
