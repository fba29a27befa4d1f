#include "ui/terminal_view.h"

#include <algorithm>

#include "engine/chunks.h"
#include "engine/cleanup.h"
#include "engine/number_text.h"
#include "engine/progress_text.h"
#include "platform/os_drives.h"
#include "platform/os_process.h"
#include "platform/os_window.h"

namespace kelvor::ui {
namespace {

constexpr auto kQuietInterval = std::chrono::seconds(5);
constexpr int kBarWidth = 20;
using engine::kBytesPerGigabyte;
using engine::kBytesPerMegabyte;
constexpr const char* kClearToEndOfLine = "\x1b[K";
// The engine's status texts after each chunk begin so. They are measured in
// whole seconds of the time of day, one chunk at a time: the view shows its
// own measurement in their place.
constexpr std::string_view kEngineRatePrefix = "Rate:";
constexpr const char* kUnknown = " --";

TerminalView::Gauges DriveGauges(std::string drive_root) {
  // A failed query leaves the last figure as it was.
  return {TerminalView::Clock::now,
          [drive_root = std::move(drive_root), free_bytes = std::uint64_t{0}]() mutable {
            os::QueryFreeBytes(drive_root, &free_bytes);
            return free_bytes;
          }};
}

}  // namespace

TerminalView::TerminalView(std::FILE* out, bool interactive, std::string drive_root,
                           Interrupted on_interrupt)
    : TerminalView(out, interactive, DriveGauges(std::move(drive_root)), std::move(on_interrupt)) {}

TerminalView::TerminalView(std::FILE* out, bool interactive, Gauges gauges,
                           Interrupted on_interrupt)
    : out_(out),
      interactive_(interactive),
      gauges_(std::move(gauges)),
      on_interrupt_(std::move(on_interrupt)),
      started_(gauges_.now()),
      free_at_start_(gauges_.free_bytes()) {}

std::uint64_t TerminalView::FreeBytes() {
  std::uint64_t free_bytes = gauges_.free_bytes();
  // The fill files that a killed run left are deleted once the run has
  // started: their space counts as free, so the start's figure is the
  // largest seen.
  free_at_start_ = std::max(free_at_start_, free_bytes);
  return free_bytes;
}

TerminalView::Measurement TerminalView::Measure() {
  Measurement now;
  now.seconds = std::chrono::duration<double>(gauges_.now() - started_).count();
  now.free_bytes = FreeBytes();
  now.bytes = static_cast<double>(free_at_start_ - now.free_bytes);
  return now;
}

// "Rate: 587.8 MB/sec. Est Time Remaining: 1.5 sec.", or "--" for what
// nothing written yet can tell.
std::string TerminalView::MeasuredStatus(const Measurement& measurement) {
  if (!measurement.Known()) {
    return std::string("Rate:") + kUnknown + " Est Time Remaining:" + kUnknown;
  }
  double rate = measurement.BytesPerSecond();
  return "Rate:" + engine::NumberText(engine::RoundToDecimals(rate / kBytesPerMegabyte, 1)) +
         " MB/sec. Est Time Remaining:" +
         engine::TimeRemainingText(static_cast<float>(measurement.free_bytes / rate));
}

void TerminalView::SetStatus(std::string_view text) {
  status_ = text.starts_with(kEngineRatePrefix) ? MeasuredStatus(Measure()) : std::string(text);
  if (text == engine::kDeletingText && !finished_writing_) {
    finished_writing_ = true;
    written_ = Measure();
  }
  if (interactive_) return Draw();
  Clock::time_point now = gauges_.now();
  bool last_text = text == engine::kDeletingText;
  if (printed_any_ && !last_text && now - last_printed_ < kQuietInterval) return;
  os::WriteWithoutWaiting(out_, status_ + "\n");
  printed_any_ = true;
  last_printed_ = now;
}

void TerminalView::StepProgress() {
  done_ += step_;
  if (interactive_) Draw();
}

void TerminalView::Draw() {
  std::string bar;
  if (parts_ > 0) {
    int filled = static_cast<int>(static_cast<long long>(done_) * kBarWidth / parts_);
    bar = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] " +
          std::to_string(done_) + "/" + std::to_string(parts_) + " GB  ";
  }
  os::WriteWithoutWaiting(out_, "\r" + bar + status_ + kClearToEndOfLine);
  line_open_ = true;
}

void TerminalView::EndLine() {
  if (!line_open_) return;
  os::WriteWithoutWaiting(out_, "\n");
  line_open_ = false;
}

void TerminalView::ShowMessage(std::string_view text, std::string_view caption,
                               std::uint32_t style) {
  EndLine();
  std::fflush(out_);
  os::ShowMessageBox(text, caption, style);
}

void TerminalView::PumpStep() {
  if (!finished_writing_) FreeBytes();  // before each chunk, the leftovers' deletion included
  if (int signal_number = os::PendingInterrupt()) {
    EndLine();
    on_interrupt_(signal_number);
  }
  os::PumpStep(os::kNoWindow);
}

void TerminalView::PrintSummary() {
  EndLine();
  if (!finished_writing_) return;
  if (!written_.Known()) {  // nothing written has no rate
    std::fprintf(out_, "Wrote 0 MB in%s s.\n",
                 engine::NumberText(engine::RoundToDecimals(written_.seconds, 1)).c_str());
    return;
  }
  std::fprintf(
      out_, "Wrote%s GB in%s s,%s MB/sec.\n",
      engine::NumberText(engine::RoundToDecimals(written_.bytes / kBytesPerGigabyte, 2)).c_str(),
      engine::NumberText(engine::RoundToDecimals(written_.seconds, 1)).c_str(),
      engine::NumberText(engine::RoundToDecimals(written_.BytesPerSecond() / kBytesPerMegabyte, 1))
          .c_str());
  std::fflush(out_);
}

}  // namespace kelvor::ui
