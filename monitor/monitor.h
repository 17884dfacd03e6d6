// SPDX-License-Identifier: MIT
#pragma once

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

  // The window's load (before it is first shown).
  void Start();
  // One tick of the one-second timer.
  void OnTick();
  // "TaskTray" pressed; the window hides itself afterwards.
  void GoToTray();
  // The auction ID changed, by the user or by the program.
  void IdChanged();
  // Starts a fetch of the item page, or says in the status why it cannot.
  void StartFetch();
  // The transfer's outcome, with the body when it completed.
  void CollectResponse(TransferOutcome outcome, std::string_view body);

 private:
  void SetStatus(std::u16string status);
  // The due test: moves the next check one interval on and fetches once it is reached.
  void StartFetchIfDue(LocalMinute now);

  MonitorState state_;
  WindowControls& window_;
  Transfer& transfer_;
  TrayPresence& tray_;
  const Clock& clock_;
};

}  // namespace lotwarden
