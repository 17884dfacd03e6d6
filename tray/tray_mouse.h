// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/monitor_state.h"
#include "monitor/window_controls.h"

namespace lotwarden {

// A mouse action on the tray icon.
enum class TrayMouse {
  kMove,
  kLeftPress,
  kLeftRelease,
  kLeftDoubleClick,
  kRightPress,
  kRightRelease,
  kRightDoubleClick,
  kMiddle,
};

// What the tray's mouse actions need of the platform beyond the window's controls.
class TrayMenuHost {
 public:
  virtual ~TrayMenuHost() = default;
  // Raises and activates a shown main window, so the popup menu closes properly.
  virtual void BringWindowToForeground() = 0;
  // Handles every window event already waiting before returning.
  virtual void ProcessPendingEvents() = 0;
  // Shows the popup menu at the pointer; returns once an entry's command has run or the
  // menu was dismissed.
  virtual void PopupMenu() = 0;
  // The "Config." command: shows the main window again.
  virtual void ShowConfig() = 0;
};

// Runs one mouse action on the tray icon: a pointer movement or a left press acknowledges the
// alert, a left double-click opens the auction page, a right press opens the popup menu with
// the tick stopped, a right double-click shows the window. The others do nothing.
void OnTrayMouse(TrayMouse action, MonitorState& state, WindowControls& window, TrayMenuHost& host);

}  // namespace lotwarden
