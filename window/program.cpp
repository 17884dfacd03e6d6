// SPDX-License-Identifier: MIT
#include "window/program.h"

#include <QDBusConnection>
#include <QMenu>
#include <string>
#include <utility>

#include "tray/tray_mouse.h"

namespace lotwarden {

Program::Program(const Clock& clock)
    // The transfer keeps its default limits: 60 s without data, 5 minutes, 16 MiB.
    : transfer_([this](TransferOutcome outcome, std::string body) {
        const std::u16string priceBefore = monitor_.state().lastPrice;
        window_.TransferReported(outcome, body);
        notice_.Collected(priceBefore);
      }),
      tray_(window_.windowIcon()),
      monitor_(window_, transfer_, tray_, clock),
      menuHost_(&window_, window_.popupMenu(), [this] { window_.Config(); }),
      mouse_(tray_.trayIcon(), [this](TrayMouse action) { OnTrayMouse(action); }),
      notifier_(QDBusConnection::sessionBus(), QString::fromLatin1(kDesktopEntry), &window_),
      notice_(notifier_, monitor_.state(), window_) {
  notifier_.ReportTo(&notice_);
  window_.SetAlertNotice(&notice_);
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
  window_.SetAlertNotice(nullptr);
  notifier_.ReportTo(nullptr);
}

void Program::OnTrayMouse(TrayMouse action) {
  lotwarden::OnTrayMouse(action, monitor_.state(), window_, menuHost_);
  // Hovering the icon, or a menu's closing, ends the alert.
  notice_.Follow();
}

}  // namespace lotwarden
