#include "command_line/terminal_view.h"

#include <algorithm>

#include "command_line/run_summary.h"
#include "platform/os_process.h"
#include "platform/os_window.h"
#include "text/number_text.h"
#include "text/run_texts.h"

namespace kelvor::command_line {
namespace {

constexpr auto kQuietInterval = std::chrono::seconds(5);
constexpr auto kRedrawInterval = std::chrono::seconds(1);
constexpr int kPercent = 100;
constexpr int kBarWidth = 20;
constexpr const char* kClearToEndOfLine = "\x1b[K";
constexpr const char* kUnknown = " --";

}  // namespace

TerminalView::TerminalView(std::FILE* out, bool interactive, Interrupted on_interrupt, Now now)
    : out_(out),
      interactive_(interactive),
      on_interrupt_(std::move(on_interrupt)),
      now_(std::move(now)),
      started_(now_()) {}

double TerminalView::SecondsSinceStart() {
  return std::chrono::duration<double>(now_() - started_).count();
}

// "Rate: 587.8 MB/sec. Est Time Remaining: 1.5 sec.", or "--" for what
// nothing written yet can tell.
std::string TerminalView::MeasuredStatus() {
  double seconds = SecondsSinceStart();
  if (written_ == 0 || seconds <= 0) {
    return std::string("Rate:") + kUnknown + " Est Time Remaining:" + kUnknown;
  }
  double rate = written_ / seconds;
  std::uint64_t left = free_at_start_ > written_ ? free_at_start_ - written_ : 0;
  return "Rate:" + text::NumberText(text::RoundToDecimals(rate / text::kBytesPerMegabyte, 1)) +
         " MB/sec. Est Time Remaining:" + text::TimeRemainingText(static_cast<float>(left / rate));
}

// "[#####...............]  25% 0.75/3 GB  ", once the free space is known.
std::string TerminalView::ProgressText() const {
  if (free_at_start_ == 0) return {};
  double done = static_cast<double>(std::min(written_, free_at_start_)) / free_at_start_;
  int filled = static_cast<int>(done * kBarWidth);
  std::string percent = std::to_string(static_cast<int>(done * kPercent)) + "%";
  return "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] " +
         std::string(4 - std::min<std::size_t>(4, percent.size()), ' ') + percent +
         Rounded(static_cast<double>(written_) / text::kBytesPerGigabyte, 2) + "/" +
         Rounded(static_cast<double>(free_at_start_) / text::kBytesPerGigabyte, 2).substr(1) +
         " GB  ";
}

void TerminalView::Show(std::string status, bool always) {
  status_ = std::move(status);
  showing_rate_ = false;
  if (quiet_) return;
  if (interactive_) return Draw();
  Clock::time_point now = now_();
  if (printed_any_ && !always && now - last_printed_ < kQuietInterval) return;
  os::WriteWithoutWaiting(out_, status_ + "\n");
  printed_any_ = true;
  last_printed_ = now;
}

void TerminalView::OnStage(engine::Stage stage) {
  switch (stage) {
    case engine::Stage::kStarting:
      return Show(text::kStartingText);
    case engine::Stage::kGigabyteParts:
      return;
    case engine::Stage::kRecords:
      return Show(text::kRecordFillText);
    case engine::Stage::kVerifying:
      return Show(text::kVerifyingText);
    case engine::Stage::kDeleting:
      if (!finished_writing_) writing_seconds_ = SecondsSinceStart();
      finished_writing_ = true;
      return Show(text::kDeletingText, true);
  }
}

void TerminalView::OnStarted(const engine::RunStart& start) {
  free_at_start_ = start.free_bytes;
}

void TerminalView::OnChunkWritten(const engine::ChunkWritten&) {
  Show(MeasuredStatus());
  showing_rate_ = true;
}

void TerminalView::OnSliceWritten(std::uint64_t bytes) {
  written_ += bytes;
  DrawIfDue();
}

void TerminalView::OnPaused() {
  Show(text::kPausedText);
}

void TerminalView::Draw() {
  std::string line = ProgressText() + (showing_rate_ ? MeasuredStatus() : status_);
  // A line longer than the terminal is wide would wrap, and each drawing
  // would leave a line behind.
  int columns = os::TerminalColumns(out_);
  if (columns > 0 && line.size() >= static_cast<std::size_t>(columns)) line.resize(columns - 1);
  os::WriteWithoutWaiting(out_, "\r" + line + kClearToEndOfLine);
  line_open_ = true;
  last_drawn_ = now_();
}

// Between the run's events the line still moves on, once a second.
void TerminalView::DrawIfDue() {
  if (interactive_ && !quiet_ && line_open_ && now_() - last_drawn_ >= kRedrawInterval) Draw();
}

void TerminalView::EndLine() {
  if (!line_open_) return;
  os::WriteWithoutWaiting(out_, "\n");
  line_open_ = false;
}

void TerminalView::OnError(files::Status report) {
  EndLine();
  std::fflush(out_);
  os::ShowMessageBox(text::ErrorReportText(report.number), text::kProgramCaption,
                     text::kErrorReportStyle);
}

void TerminalView::PumpStep() {
  if (int signal_number = os::PendingInterrupt()) {
    EndLine();
    on_interrupt_(signal_number);
  }
  DrawIfDue();
  os::PumpStep(os::kNoWindow);
}

void TerminalView::PrintSummary(const engine::RunOutcome& outcome) {
  EndLine();
  if (!finished_writing_) return;
  if (outcome.bytes_written == 0 || writing_seconds_ <= 0) {  // nothing written has no rate
    std::fprintf(out_, "Wrote nothing in%s s.\n", Rounded(writing_seconds_, 1).c_str());
    return;
  }
  double bytes = static_cast<double>(outcome.bytes_written);
  std::fprintf(out_, "Wrote%s GB in%s s,%s MB/sec.\n",
               Rounded(bytes / text::kBytesPerGigabyte, 2).c_str(),
               Rounded(writing_seconds_, 1).c_str(),
               Rounded(bytes / writing_seconds_ / text::kBytesPerMegabyte, 1).c_str());
  for (const std::string& sentence :
       {ReadBackSentence(outcome.read_back), TrimSentence(outcome.trim)}) {
    if (!sentence.empty()) std::fprintf(out_, "%s\n", sentence.c_str());
  }
  std::fflush(out_);
}

}  // namespace kelvor::command_line
