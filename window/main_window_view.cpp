#include "window/main_window_view.h"

#include "text/free_space.h"
#include "text/run_texts.h"
#include "window/control_ids.h"
#include "window/status_texts.h"
#include "window/window_messages.h"

namespace kelvor::window {
namespace {

constexpr std::uintptr_t kOneStepPerPart = 1;

}  // namespace

void MainWindowView::SetStatus(std::string_view text) {
  os::SetControlText(main_window_, kStatusLine, text);
}

void MainWindowView::OnStage(engine::Stage stage) {
  if (std::optional<std::string> text = StageText(stage)) SetStatus(*text);
  if (stage != engine::Stage::kGigabyteParts) return;
  os::SendControlMessage(main_window_, kProgressBar, kSetRange32, 0, parts_);
  os::SendControlMessage(main_window_, kProgressBar, kSetStep, kOneStepPerPart, 0);
}

void MainWindowView::OnChunkWritten(const engine::ChunkWritten& chunk) {
  SetStatus(ChunkText(chunk));
}

void MainWindowView::OnPartWritten(std::int32_t) {
  os::SendControlMessage(main_window_, kProgressBar, kStepIt, 0, 0);
}

void MainWindowView::OnPaused() {
  SetStatus(text::kPausedText);
}

void MainWindowView::OnError(files::Status report) {
  os::ShowMessageBox(text::ErrorReportText(report.number), text::kProgramCaption,
                     text::kErrorReportStyle);
}

void MainWindowView::OnFinished(const engine::RunOutcome&) {
  os::SendControlMessage(main_window_, kProgressBar, kSetPosition, 0, 0);
}

void MainWindowView::PumpStep() {
  os::PumpStep(main_window_);
}

void MainWindowView::FillDriveSelector(const drives::DriveList& drives) {
  if (drives.empty()) return;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    os::SendControlText(main_window_, kDriveSelector, kInsertString, i,
                        text::DriveEntryText(drives[i]));
  }
  os::SendControlMessage(main_window_, kDriveSelector, kSetCurrentSelection, 0, 0);
}

}  // namespace kelvor::window
