// SPDX-License-Identifier: MIT
#include "tray/tray_mouse.h"

namespace lotwarden {

void OnTrayMouse(TrayMouse action, LocalSeconds now, MonitorState& state, WindowControls& window,
                 TrayMenuHost& host) {
  switch (action) {
    case TrayMouse::kMove:
      window.SetTimerEnabled(true);
      state.alert = false;
      state.menuHoldsUntil.reset();
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
      state.lastMinute.reset();  // a blinking face turns grey before the hold
      state.menuHoldsUntil = now + kMenuHoldLimit;
      host.BringWindowToForeground();
      host.ProcessPendingEvents();
      host.PopupMenu();
      break;
    case TrayMouse::kHostMenuOpened:
      state.alert = false;
      state.lastMinute.reset();
      state.menuHoldsUntil = now + kMenuHoldLimit;
      break;
    case TrayMouse::kMenuClosed:
      // The face and the tooltip catch up at once.
      state.menuHoldsUntil.reset();
      state.lastMinute.reset();
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
