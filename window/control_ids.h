// Control and command IDs of the main window.
#pragma once

namespace kelvor::window {

inline constexpr int kProgressBar = 1001;
inline constexpr int kStartButton = 1002;
inline constexpr int kPauseButton = 1003;
inline constexpr int kCancelButton = 1004;
inline constexpr int kDrivesLabel = 1010;
inline constexpr int kDriveSelector = 1011;
inline constexpr int kStatusLine = 1012;
inline constexpr int kRestartCheckBox = 1013;
inline constexpr int kAllOnesButton = 1014;
inline constexpr int kAllZerosButton = 1015;
inline constexpr int kBinaryBlocksButton = 1016;
inline constexpr int kCycleCheckBox = 1017;
inline constexpr int kWipeTypeFrame = 1018;
inline constexpr int kHelpMenuItem = 1019;
inline constexpr int kAboutMenuItem = 1020;

}  // namespace kelvor::window
