#include "ui/terminal_view.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/cleanup.h"
#include "engine/progress_text.h"

namespace kelvor::ui {
namespace {

using namespace std::chrono_literals;
constexpr std::uint64_t kGigabyte = 1 << 30;

// A terminal view writing into a temporary file, measured with a clock and a
// free-space figure that the test sets.
class TerminalViewTest : public testing::Test {
 protected:
  std::unique_ptr<TerminalView> MakeView(bool interactive) {
    return std::make_unique<TerminalView>(
        out_, interactive, TerminalView::Gauges{[this] { return now_; }, [this] { return free_; }},
        nullptr);
  }
  std::string Written() {
    std::string text(static_cast<std::size_t>(std::ftell(out_)), '\0');
    std::rewind(out_);
    text.resize(std::fread(text.data(), 1, text.size(), out_));
    return text;
  }
  void TearDown() override { std::fclose(out_); }
  // Moves the clock on and sets the free space, then shows the status.
  void Status(TerminalView& view, std::chrono::milliseconds after, std::uint64_t free,
              std::string_view text) {
    now_ += after;
    free_ = free;
    view.SetStatus(text);
  }

  std::FILE* out_ = std::tmpfile();
  TerminalView::Clock::time_point now_{};
  std::uint64_t free_ = 3 * kGigabyte;
  // What the engine says after a chunk, in whole seconds of the time of day.
  std::string engine_rate_ = engine::RateText(107374182.4f);
  std::string engine_estimate_ = engine::GigabyteStatusText(
      107374182.4f, engine::TimeRemainingText(std::numeric_limits<float>::infinity()));
};

TEST_F(TerminalViewTest, OnATerminalOneLineWithABarAndTheMeasuredRateThenTheSummary) {
  auto view = MakeView(true);
  view->SetStatus("Starting up ...");
  view->SetStatus(engine_rate_);  // nothing written yet
  view->SetProgressRange(3);
  Status(*view, 2s, 2 * kGigabyte, engine_estimate_);
  view->StepProgress();
  Status(*view, 500ms, 3 * kGigabyte / 2, engine_estimate_);
  Status(*view, 1500ms, 0, engine::kDeletingText);
  now_ += 3s;  // the deleting is no writing
  view->PrintSummary();
  EXPECT_EQ(
      Written(),
      "\rStarting up ...\x1b[K"
      "\rRate: -- Est Time Remaining: --\x1b[K"
      "\r[....................] 0/3 GB  Rate: 512 MB/sec. Est Time Remaining: 4 sec.\x1b[K"
      "\r[######..............] 1/3 GB  Rate: 512 MB/sec. Est Time Remaining: 4 sec.\x1b[K"
      "\r[######..............] 1/3 GB  Rate: 614.4 MB/sec. Est Time Remaining: 2.5 sec.\x1b[K"
      "\r[######..............] 1/3 GB  "
      "Deleting temporary files. This may take several minutes ...\x1b[K\n"
      "Wrote 3 GB in 4 s, 768 MB/sec.\n");
}

TEST_F(TerminalViewTest, WithoutATerminalALineAtMostEveryFiveSecondsAndTheLastOneAlways) {
  free_ = kGigabyte;
  auto view = MakeView(false);
  view->SetStatus("Starting up ...");
  free_ = 2 * kGigabyte;  // the fill files of a killed run, deleted: they count as free
  view->PumpStep();
  Status(*view, 4s, 3 * kGigabyte / 2, engine_rate_);
  Status(*view, 1s, kGigabyte, engine_estimate_);
  Status(*view, 1s, 0, engine::kDeletingText);
  view->PrintSummary();
  EXPECT_EQ(Written(),
            "Starting up ...\n"
            "Rate: 204.8 MB/sec. Est Time Remaining: 5 sec.\n"
            "Deleting temporary files. This may take several minutes ...\n"
            "Wrote 2 GB in 6 s, 341.3 MB/sec.\n");
}

TEST_F(TerminalViewTest, NothingWrittenIsSaidSoWithoutARate) {
  auto view = MakeView(false);
  Status(*view, 100ms, free_, engine::kDeletingText);
  view->PrintSummary();
  EXPECT_EQ(Written(),
            "Deleting temporary files. This may take several minutes ...\n"
            "Wrote 0 MB in .1 s.\n");
}

}  // namespace
}  // namespace kelvor::ui
