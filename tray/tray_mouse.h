// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>

#include "monitor/local_time.h"
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
  // The notification area opened its own copy of the popup menu.
  kHostMenuOpened,
  // A popup menu closed, with or without a choice, or its notification area went away.
  kMenuClosed,
};

// The longest a popup menu holds the face and the tooltip: longer than a person keeps a menu
// open, and the limit where a notification area never reports the menu's dismissal.
inline constexpr std::chrono::seconds kMenuHoldLimit{30};

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

// Runs one mouse action on the tray icon, at the time `now`: a pointer movement or a left press
// acknowledges the alert, a left double-click opens the auction page, a right press opens the
// popup menu, a right double-click shows the window. An opening menu acknowledges the alert and
// holds the face and the tooltip (not the fetches) until it closes, kMenuHoldLimit at the most;
// the pointer's return ends the hold too. The others do nothing.
void OnTrayMouse(TrayMouse action, LocalSeconds now, MonitorState& state, WindowControls& window,
                 TrayMenuHost& host);

}  // namespace lotwarden
