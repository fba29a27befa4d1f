// The Win32 message numbers that the portable window code sends and acts on,
// all in this one place: the window seam passes them on as they are.
#pragma once

namespace kelvor::window {

// Window messages the event handler acts on.
inline constexpr unsigned kClose = 0x0010;       // WM_CLOSE
inline constexpr unsigned kNcActivate = 0x0086;  // WM_NCACTIVATE
inline constexpr unsigned kCommand = 0x0111;     // WM_COMMAND

// Notification codes of a command (the high word of its wParam).
inline constexpr unsigned kClicked = 0;  // BN_CLICKED, also a menu item
inline constexpr unsigned kAcceleratorClicked = 1;

// Progress-bar messages (WM_USER based).
inline constexpr unsigned kSetPosition = 0x0402;  // PBM_SETPOS
inline constexpr unsigned kSetStep = 0x0404;      // PBM_SETSTEP
inline constexpr unsigned kStepIt = 0x0405;       // PBM_STEPIT
inline constexpr unsigned kSetRange32 = 0x0406;   // PBM_SETRANGE32

// Combo-box messages.
inline constexpr unsigned kInsertString = 0x014A;         // CB_INSERTSTRING
inline constexpr unsigned kSetCurrentSelection = 0x014E;  // CB_SETCURSEL

}  // namespace kelvor::window
