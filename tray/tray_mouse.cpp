// SPDX-License-Identifier: MIT
#include "tray/tray_mouse.h"

namespace lotwarden {

void OnTrayMouse(TrayMouse action, MonitorState& state, WindowControls& window,
                 TrayMenuHost& host) {
  switch (action) {
    case TrayMouse::kMove:
      window.SetTimerEnabled(true);
      state.alert = false;
      state.lastMinute.reset();
      break;
    case TrayMouse::kLeftPress:
      state.alert = false;
      state.lastMinute.reset();
      break;
    case TrayMouse::kLeftDoubleClick:
      window.OpenUrl();
      break;
    case TrayMouse::kRightPress:
      state.alert = false;
      window.SetTimerEnabled(false);
      host.BringWindowToForeground();
      host.ProcessPendingEvents();
      host.PopupMenu();
      break;
    case TrayMouse::kRightDoubleClick:
      host.ShowConfig();
      break;
    case TrayMouse::kLeftRelease:
    case TrayMouse::kRightRelease:
    case TrayMouse::kMiddle:
      break;
  }
}

}  // namespace lotwarden
