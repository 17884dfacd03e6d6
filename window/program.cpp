// SPDX-License-Identifier: MIT
#include "window/program.h"

#include <QMenu>
#include <string>
#include <utility>

#include "tray/tray_mouse.h"

namespace lotwarden {

Program::Program(const Clock& clock)
    // The transfer keeps its default limits: 60 s without data, 5 minutes, 16 MiB.
    : transfer_([this](TransferOutcome outcome, std::string body) {
        window_.TransferReported(outcome, body);
      }),
      tray_(window_.windowIcon()),
      monitor_(window_, transfer_, tray_, clock),
      menuHost_(&window_, window_.popupMenu(), [this] { window_.Config(); }),
      mouse_(tray_.trayIcon(), [this](TrayMouse action) { OnTrayMouse(action); }) {
  mouse_.WatchMenu(window_.popupMenu());
  // Where the notification area shows the menu itself, it gets a copy of the entries.
  if (QMenu* exported = tray_.ExportMenu(window_.popupMenu()->actions())) {
    menuHost_.SetExportedMenu(exported);
    mouse_.WatchExportedMenu(exported);
  }
  window_.SetTray(&QtTrayPresence::Available, [this] { tray_.RemoveTrayIcon(); });
  window_.AttachMonitor(&monitor_);
}

Program::~Program() {
  window_.AttachMonitor(nullptr);
}

void Program::OnTrayMouse(TrayMouse action) {
  lotwarden::OnTrayMouse(action, monitor_.state(), window_, menuHost_);
}

}  // namespace lotwarden
