#include "command_line/terminal_view.h"

#include <gtest/gtest.h>

#include <memory>

namespace kelvor::command_line {
namespace {

using namespace std::chrono_literals;
using engine::Stage;
constexpr std::uint64_t kGigabyte = 1 << 30;

// A terminal view writing into a temporary file, measured with a clock that
// the test moves on.
class TerminalViewTest : public testing::Test {
 protected:
  std::unique_ptr<TerminalView> MakeView(bool interactive) {
    return std::make_unique<TerminalView>(out_, interactive, nullptr, [this] { return now_; });
  }
  std::string Written() {
    std::string text(static_cast<std::size_t>(std::ftell(out_)), '\0');
    std::rewind(out_);
    text.resize(std::fread(text.data(), 1, text.size(), out_));
    return text;
  }
  void TearDown() override { std::fclose(out_); }
  // Moves the clock on, then tells the view of a chunk of `bytes`.
  void Chunk(TerminalView& view, std::chrono::milliseconds after, std::uint64_t bytes,
             std::int32_t part) {
    now_ += after;
    view.OnSliceWritten(bytes);
    view.OnChunkWritten({part, 3, bytes, 0});
  }
  void Stage(TerminalView& view, std::chrono::milliseconds after, engine::Stage stage) {
    now_ += after;
    view.OnStage(stage);
  }

  static engine::RunOutcome Wrote(std::uint64_t bytes, std::int32_t parts) {
    engine::RunOutcome outcome;
    outcome.bytes_written = bytes;
    outcome.parts = parts;
    return outcome;
  }

  std::FILE* out_ = std::tmpfile();
  TerminalView::Clock::time_point now_{};
};

// The line moves on between chunks too, once a second at most, with the
// share of the free space written from the start.
TEST_F(TerminalViewTest, OnATerminalOneLineWithTheShareWrittenAndTheRateThenTheSummary) {
  auto view = MakeView(true);
  view->OnStage(Stage::kStarting);
  view->OnStarted({4 * kGigabyte, 4});
  Chunk(*view, 0ms, 0, 0);  // nothing written yet
  now_ += 500ms;
  view->OnSliceWritten(kGigabyte / 4);  // within the second: not drawn
  now_ += 500ms;
  view->OnSliceWritten(kGigabyte / 4);
  now_ += 1s;
  view->PumpStep();  // a second without a slice: the rate is measured anew
  Chunk(*view, 0ms, 0, 1);
  Stage(*view, 2s, Stage::kDeleting);
  now_ += 3s;  // the deleting is no writing
  view->PrintSummary(Wrote(kGigabyte / 2, 4));
  EXPECT_EQ(Written(),
            "\rStarting up ...\x1b[K"
            "\r[....................]   0% 0/4 GB  Rate: -- Est Time Remaining: --\x1b[K"
            "\r[##..................]  12% 0.5/4 GB  Rate: 512 MB/sec. Est Time Remaining: 7 "
            "sec.\x1b[K"
            "\r[##..................]  12% 0.5/4 GB  Rate: 256 MB/sec. Est Time Remaining: 14 "
            "sec.\x1b[K"
            "\r[##..................]  12% 0.5/4 GB  Rate: 256 MB/sec. Est Time Remaining: 14 "
            "sec.\x1b[K"
            "\r[##..................]  12% 0.5/4 GB  "
            "Deleting temporary files. This may take several minutes ...\x1b[K\n"
            "Wrote 0.5 GB in 4 s, 128 MB/sec.\n");
}

TEST_F(TerminalViewTest, WithoutATerminalALineAtMostEveryFiveSecondsAndTheLastOneAlways) {
  auto view = MakeView(false);
  view->OnStage(Stage::kStarting);
  view->OnStarted({2 * kGigabyte, 2});
  Chunk(*view, 4s, kGigabyte / 2, 0);
  Chunk(*view, 1s, kGigabyte / 2, 1);
  view->OnPaused();  // within the five seconds: not shown
  Stage(*view, 1s, Stage::kDeleting);
  view->PrintSummary(Wrote(2 * kGigabyte, 2));
  EXPECT_EQ(Written(),
            "Starting up ...\n"
            "Rate: 204.8 MB/sec. Est Time Remaining: 5 sec.\n"
            "Deleting temporary files. This may take several minutes ...\n"
            "Wrote 2 GB in 6 s, 341.3 MB/sec.\n");
}

TEST_F(TerminalViewTest, NothingWrittenIsSaidSoWithoutARate) {
  auto view = MakeView(false);
  Stage(*view, 100ms, Stage::kDeleting);
  view->PrintSummary({});
  EXPECT_EQ(Written(),
            "Deleting temporary files. This may take several minutes ...\n"
            "Wrote nothing in 0.1 s.\n");
}

}  // namespace
}  // namespace kelvor::command_line
