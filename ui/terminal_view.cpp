#include "ui/terminal_view.h"

#include "engine/cleanup.h"
#include "engine/number_text.h"
#include "platform/os_drives.h"
#include "platform/os_process.h"

namespace kelvor::ui {
namespace {

constexpr auto kQuietInterval = std::chrono::seconds(5);
constexpr int kBarWidth = 20;
constexpr double kBytesPerMegabyte = 1048576.0;
constexpr double kBytesPerGigabyte = 1073741824.0;
constexpr const char* kClearToEndOfLine = "\x1b[K";

}  // namespace

TerminalView::TerminalView(std::FILE* out, bool interactive, std::string drive_root,
                           Interrupted on_interrupt)
    : out_(out),
      interactive_(interactive),
      drive_root_(std::move(drive_root)),
      on_interrupt_(std::move(on_interrupt)),
      started_(Clock::now()) {
  free_at_start_ = FreeBytes();
}

std::uint64_t TerminalView::FreeBytes() const {
  std::uint64_t free_bytes = 0;
  os::QueryFreeBytes(drive_root_, &free_bytes);
  return free_bytes;
}

void TerminalView::SetStatus(std::string_view text) {
  status_ = text;
  if (text == engine::kDeletingText && !finished_writing_) {
    finished_writing_ = true;
    finished_ = Clock::now();
    free_at_end_ = FreeBytes();
  }
  if (interactive_) return Draw();
  Clock::time_point now = Clock::now();
  bool last_text = text == engine::kDeletingText;
  if (printed_any_ && !last_text && now - last_printed_ < kQuietInterval) return;
  std::fprintf(out_, "%s\n", status_.c_str());
  std::fflush(out_);
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
  std::fprintf(out_, "\r%s%s%s", bar.c_str(), status_.c_str(), kClearToEndOfLine);
  std::fflush(out_);
  line_open_ = true;
}

void TerminalView::EndLine() {
  if (!line_open_) return;
  std::fputc('\n', out_);
  line_open_ = false;
}

void TerminalView::ShowMessage(std::string_view text, std::string_view caption,
                               std::uint32_t style) {
  EndLine();
  std::fflush(out_);
  os::ShowMessageBox(text, caption, style);
}

void TerminalView::PumpStep() {
  if (int signal_number = os::PendingInterrupt()) {
    EndLine();
    on_interrupt_(signal_number);
  }
  os::PumpStep(os::kNoWindow);
}

void TerminalView::PrintSummary() {
  EndLine();
  if (!finished_writing_) return;
  std::uint64_t written = free_at_start_ > free_at_end_ ? free_at_start_ - free_at_end_ : 0;
  double seconds = std::chrono::duration<double>(finished_ - started_).count();
  double rate = seconds > 0 ? written / kBytesPerMegabyte / seconds : 0;
  std::fprintf(out_, "Wrote%s GB in%s s,%s MB/sec.\n",
               engine::NumberText(engine::RoundToDecimals(written / kBytesPerGigabyte, 2)).c_str(),
               engine::NumberText(engine::RoundToDecimals(seconds, 1)).c_str(),
               engine::NumberText(engine::RoundToDecimals(rate, 1)).c_str());
  std::fflush(out_);
}

}  // namespace kelvor::ui
