// The main window as data: its frame, its thirteen controls in creation (and
// tab) order, and its menu. Rectangles are dialog units.
#pragma once

#include <array>
#include <cstdint>

#include "platform/os_window.h"
#include "window/control_ids.h"

namespace kelvor::window {

using os::ControlSpec;
using os::MenuItemSpec;
using os::WindowFrame;

inline constexpr WindowFrame kMainWindow = {
    "Kelvor", {88, 152, 318, 182}, 0x80C000D4, "MS Sans Serif", 8};

inline constexpr const char* kIdleStatus = "Select a drive above ...";

inline constexpr std::array<ControlSpec, 13> kControls = {{
    {kStartButton, "BUTTON", "Start", {15, 130, 75, 20}, 0x50010000},
    {kPauseButton, "BUTTON", "Pause", {115, 130, 80, 20}, 0x50010000},
    {kCancelButton, "BUTTON", "Cancel", {220, 130, 75, 20}, 0x50010000},
    {kDrivesLabel, "STATIC", "Drives:", {20, 10, 55, 10}, 0x50000000},
    {kDriveSelector, "COMBOBOX", "", {20, 20, 275, 20}, 0x50010102},
    {kStatusLine, "STATIC", kIdleStatus, {20, 35, 275, 10}, 0x50000001},
    {kProgressBar, "msctls_progress32", "ProgressBar1", {20, 45, 275, 20}, 0x50800000},
    {kRestartCheckBox, "BUTTON", "Start again when finished", {30, 100, 110, 10}, 0x50010003},
    {kCycleCheckBox, "BUTTON", "Cycle wipe type on start again", {175, 100, 110, 10}, 0x50010003},
    {kAllOnesButton, "BUTTON", "All 1's", {30, 80, 75, 15}, 0x50010009},
    {kAllZerosButton, "BUTTON", "All 0's", {110, 80, 45, 15}, 0x50010009},
    {kBinaryBlocksButton, "BUTTON", "Blocks of Binary Data", {175, 80, 120, 15}, 0x50010009},
    {kWipeTypeFrame, "BUTTON", "Wipe Type", {20, 70, 275, 50}, 0x50000007},
}};

inline constexpr const char* kHelpPopupCaption = "Help";
inline constexpr std::array<MenuItemSpec, 2> kHelpMenu = {{
    {"&Help", kHelpMenuItem},
    {"&About", kAboutMenuItem},
}};

}  // namespace kelvor::window
