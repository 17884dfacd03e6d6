// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "monitor/clock.h"
#include "monitor/monitor_state.h"
#include "monitor/transfer.h"
#include "monitor/tray_presence.h"
#include "monitor/window_controls.h"

namespace lotwarden {

// The monitor's event handlers: the window's load, the one-second tick, "TaskTray", an edit
// of the auction ID, and the transfer's outcome. It owns no platform object; the window,
// the transfer, the tray and the clock are reached through their interfaces.
class Monitor {
 public:
  Monitor(WindowControls& window, Transfer& transfer, TrayPresence& tray, const Clock& clock);

  MonitorState& state() { return state_; }
  const MonitorState& state() const { return state_; }

  // The window's load event (before it is first shown).
  void Start();
  // One tick of Timer1.
  void OnTick();
  // "TaskTray" pressed; the window hides itself afterwards.
  void GoToTray();
  // The text of A_ID changed, by the user or by the program.
  void IdChanged();
  // Starts a fetch of the item page, or says in the status why it cannot.
  void StartFetch();
  // The transfer's outcome: kTransferError, or kTransferResponseCompleted with the body.
  void CollectResponse(std::int16_t transferState, std::string_view body);

 private:
  MonitorState state_;
  WindowControls& window_;
  Transfer& transfer_;
  TrayPresence& tray_;
  const Clock& clock_;
};

}  // namespace lotwarden
