// SPDX-License-Identifier: MIT
#include "tray/tray_mouse.h"

namespace lotwarden {

void OnTrayMouse(int message, MonitorState& state, WindowControls& window, TrayMenuHost& host) {
  switch (message) {
    case kWmMouseMove:
      window.SetTimerEnabled(true);
      state.alert = false;
      state.lastMinute.reset();
      break;
    case kWmLButtonDown:
      state.alert = false;
      state.lastMinute.reset();
      break;
    case kWmLButtonDblClk:
      window.OpenUrl();
      break;
    case kWmRButtonDown:
      state.alert = false;
      window.SetTimerEnabled(false);
      host.BringWindowToForeground();
      host.ProcessPendingEvents();
      host.PopupMenu();
      break;
    case kWmRButtonDblClk:
      host.ShowConfig();
      break;
    default:
      break;
  }
}

}  // namespace lotwarden
