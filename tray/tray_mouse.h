// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/monitor_state.h"
#include "monitor/window_controls.h"

namespace lotwarden {

// Mouse messages reported for the tray icon, by their platform numbers.
inline constexpr int kWmMouseMove = 512;
inline constexpr int kWmLButtonDown = 513;
inline constexpr int kWmLButtonUp = 514;
inline constexpr int kWmLButtonDblClk = 515;
inline constexpr int kWmRButtonDown = 516;
inline constexpr int kWmRButtonUp = 517;
inline constexpr int kWmRButtonDblClk = 518;

// What the tray's mouse actions need of the platform beyond the window's controls.
class TrayMenuHost {
 public:
  virtual ~TrayMenuHost() = default;
  // Makes the main window the foreground window, so the popup menu closes properly.
  virtual void BringWindowToForeground() = 0;
  // Handles every window event already waiting before returning.
  virtual void ProcessPendingEvents() = 0;
  // Shows the popup menu at the pointer; returns once an entry's command has run or the
  // menu was dismissed.
  virtual void PopupMenu() = 0;
  // The "Config." command: shows the main window again.
  virtual void ShowConfig() = 0;
};

// Runs the action of one mouse message over the tray icon: a pointer movement or a left
// press acknowledges the alert, a left double-click opens the auction page, the right
// button opens the popup menu with the tick stopped, a right double-click shows the
// window. Every other message does nothing.
void OnTrayMouse(int message, MonitorState& state, WindowControls& window, TrayMenuHost& host);

}  // namespace lotwarden
