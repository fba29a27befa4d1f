#include "window/run_control.h"

#include <gtest/gtest.h>

#include <map>

#include "fakes.h"
#include "window/control_ids.h"

namespace kelvor::window {
namespace {

// The main window's controls as plain state.
struct FakeControls : WindowControls {
  std::string SelectedDriveEntry() override { return selected_entry; }
  void Enable(int id, bool on) override { enabled[id] = on; }
  void SetText(int id, std::string_view text) override { texts[id] = std::string(text); }
  bool IsChecked(int id) override { return checked[id]; }
  void CheckWipeTypeButton(int id) override {
    for (int button = kAllOnesButton; button <= kBinaryBlocksButton; ++button) {
      checked[button] = button == id;
    }
  }
  os::WindowHandle Focus() override { return focus; }
  void SetFocus(os::WindowHandle control) override { focus = control; }
  void ShowMessage(std::string_view text, std::string_view caption, std::uint32_t style) override {
    messages.push_back({std::string(text), std::string(caption), style});
  }
  void OpenHelp() override {}
  void PumpStep() override {}

  std::string selected_entry = "S:\\    Ram Disk Drive    150 MB Free";
  std::map<int, bool> enabled{{kStartButton, true}, {kPauseButton, false}};
  std::map<int, std::string> texts;
  std::map<int, bool> checked{{kAllOnesButton, true}};
  os::WindowHandle focus = os::kNoWindow;
  struct Message {
    std::string text;
    std::string caption;
    std::uint32_t style;
  };
  std::vector<Message> messages;
};

class RunControlTest : public testing::Test {
 protected:
  // A control's notification (0: a click) in a command message's wparam.
  void Command(int id, std::uintptr_t notification = 0) {
    control_.OnMessage(kCommand, notification << 16 | static_cast<std::uintptr_t>(id), 0);
  }

  struct Run {
    std::string drive;
    engine::WipeType type;
    bool paused;  // when it began
  };
  FakeControls window_;
  test::FakeClock clock_{36000, 1};
  std::vector<Run> runs_;
  std::function<void()> during_run_;  // what the user does inside a run
  std::vector<int> ended_with_;
  RunControl MakeControl(bool virtual_machine) {
    return {window_,
            [this](engine::Run& run) {
              runs_.push_back({run.drive_root, run.wipe_type, control_.paused()});
              if (during_run_) during_run_();
            },
            [this](int code) { ended_with_.push_back(code); }, clock_, virtual_machine};
  }
  RunControl control_ = MakeControl(false);
};

// Start with no drive selected, another notification of Start, and the
// other controls.
TEST_F(RunControlTest, NothingElseStartsARun) {
  window_.selected_entry.clear();
  Command(kStartButton);
  window_.selected_entry = "S:\\    Ram Disk Drive";
  Command(kStartButton, 5);
  for (int id : {kAllOnesButton, kCycleCheckBox, kDriveSelector, kProgressBar, 2 /* Esc */}) {
    Command(id);
  }
  EXPECT_TRUE(runs_.empty());
  EXPECT_TRUE(ended_with_.empty());
  EXPECT_TRUE(window_.enabled[kStartButton]);
  EXPECT_TRUE(window_.texts.empty());
}

// Restart repeats the run on the same drive whatever the user selects
// meanwhile: with the same type, or with Cycle the next one, which the option
// buttons show during its run.
TEST_F(RunControlTest, RestartRepeatsTheRunAndCycleMovesTheTypeOn) {
  const std::pair<bool, std::vector<engine::WipeType>> cases[] = {{false, {2, 2, 2}},
                                                                  {true, {2, 0, 1, 2, 0}}};
  for (const auto& [cycle, types] : cases) {
    runs_.clear();
    window_.selected_entry = "S:\\    Ram Disk Drive";
    window_.checked[kRestartCheckBox] = true;
    window_.checked[kCycleCheckBox] = cycle;
    window_.CheckWipeTypeButton(kBinaryBlocksButton);
    during_run_ = [this, &types] {
      EXPECT_TRUE(window_.checked[kAllOnesButton + runs_.back().type]) << runs_.size();
      window_.CheckWipeTypeButton(kAllOnesButton);
      window_.selected_entry = "T:\\    Ram Disk Drive";
      if (runs_.size() == types.size()) window_.checked[kRestartCheckBox] = false;
    };
    Command(kStartButton);
    std::vector<engine::WipeType> run_types;
    for (const Run& run : runs_) {
      run_types.push_back(run.type);
      EXPECT_EQ(run.drive, "S:");
    }
    EXPECT_EQ(run_types, types) << cycle;
    EXPECT_TRUE(window_.enabled[kStartButton]);
  }
}

// Cancel ends the program, idle or not; a close only during a run.
TEST_F(RunControlTest, CancelEndsTheProgramAndACloseDuringARunCancelsPausedOrNot) {
  Command(kCancelButton);
  EXPECT_EQ(window_.texts[kStatusLine], "Canceling and cleaning up ...");
  during_run_ = [this] {
    control_.OnMessage(kClose, 0, 0);
    if (runs_.size() == 1) Command(kPauseButton);
  };
  Command(kStartButton);
  Command(kStartButton);  // this time paused: the pause outlasts the run
  EXPECT_EQ(ended_with_, (std::vector<int>{0, 0, 0}));
  ASSERT_EQ(runs_.size(), 2u);
  EXPECT_TRUE(runs_[1].paused);
  EXPECT_EQ(window_.texts[kStatusLine], "Select a drive above ...");
  control_.OnMessage(kClose, 0, 0);  // idle: the window just closes
  EXPECT_EQ(ended_with_.size(), 3u);
}

TEST_F(RunControlTest, FocusIsSavedOnDeactivationAndGivenBack) {
  window_.focus = 0x1234;
  control_.OnMessage(kNcActivate, 0, 0);
  window_.focus = 0x9999;
  control_.OnMessage(kNcActivate, 1, 0);
  EXPECT_EQ(window_.focus, 0x1234u);
  window_.focus = 0x5555;
  control_.OnMessage(kNcActivate, 1, 0);  // nothing saved any more
  EXPECT_EQ(window_.focus, 0x5555u);
}

// The About box names the years up to the clock's, and a virtual machine.
TEST_F(RunControlTest, TheAboutBox) {
  Command(kAboutMenuItem);
  ASSERT_EQ(window_.messages.size(), 1u);
  EXPECT_EQ(window_.messages[0].caption, "Kelvor");
  EXPECT_EQ(window_.messages[0].style, 0x2000u);
  EXPECT_EQ(window_.messages[0].text,
            "Kelvor\r\rCopyright (C) 2026 the Kelvor developers\r\rMade by the Kelvor developers.");
  clock_.year = 2029;
  EXPECT_EQ(MakeControl(true).AboutText(),
            "Kelvor\r\rCopyright (C) 2026-2029 the Kelvor developers\r\rMade by the Kelvor "
            "developers.\rAppears to be running inside a Virtual Machine.");
}

}  // namespace
}  // namespace kelvor::window
