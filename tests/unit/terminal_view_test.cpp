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
  now_ += 2s;
  free_ = 2 * kGigabyte;
  view->SetStatus(engine_estimate_);
  view->StepProgress();
  now_ += 500ms;
  free_ = 3 * kGigabyte / 2;
  view->SetStatus(engine_estimate_);
  now_ += 1500ms;
  free_ = 0;
  view->SetStatus(engine::kDeletingText);
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
  now_ += 4s;
  free_ = 3 * kGigabyte / 2;
  view->SetStatus(engine_rate_);
  now_ += 1s;
  free_ = kGigabyte;
  view->SetStatus(engine_estimate_);
  now_ += 1s;
  free_ = 0;
  view->SetStatus(engine::kDeletingText);
  view->PrintSummary();
  EXPECT_EQ(Written(),
            "Starting up ...\n"
            "Rate: 204.8 MB/sec. Est Time Remaining: 5 sec.\n"
            "Deleting temporary files. This may take several minutes ...\n"
            "Wrote 2 GB in 6 s, 341.3 MB/sec.\n");
}

}  // namespace
}  // namespace kelvor::ui
