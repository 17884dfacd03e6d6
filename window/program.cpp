// SPDX-License-Identifier: MIT
#include "window/program.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
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
      mouse_([this](TrayMouse action) { OnTrayMouse(action); }),
      // Qt's XEmbed icon shows only in an XEmbed tray; a D-Bus icon (or one still to be made),
      // only with a D-Bus host.
      area_([this](bool host) {
        return tray_.UsesXEmbed() ? QSystemTrayIcon::isSystemTrayAvailable() : host;
      }),
      clock_(clock),
      notifier_(QDBusConnection::sessionBus(), QString::fromLatin1(kDesktopEntry), &window_),
      notice_(notifier_, monitor_.state(), window_) {
  notifier_.ReportTo(&notice_);
  window_.SetAlertNotice(&notice_);
  mouse_.WatchMenu(window_.popupMenu());
  // On X11 Qt's icon docks into an XEmbed tray whenever one appears. Elsewhere an icon made
  // while no D-Bus host is registered never shows, so it waits for one.
  if (QGuiApplication::platformName() == QLatin1String("xcb") || area_.hostRegistered()) {
    CreateTrayIcon();
    area_.Update();
  }
  if (area_.hostRegistered()) IconRegisters();
  QObject::connect(&area_, &TrayAreaWatcher::hostAppeared, &mouse_, [this] {
    CreateTrayIcon();
    IconRegisters();
  });
  QObject::connect(&area_, &TrayAreaWatcher::hostGone, &mouse_, &TrayMouseRouter::HostGone);
  QObject::connect(&area_, &TrayAreaWatcher::areaChanged, &window_,
                   &MainWindow::NotificationAreaChanged);
  window_.SetTray([this] { return area_.present(); }, [this] { tray_.RemoveTrayIcon(); });
  window_.AttachMonitor(&monitor_);
}

Program::~Program() {
  window_.AttachMonitor(nullptr);
  window_.SetAlertNotice(nullptr);
  notifier_.ReportTo(nullptr);
}

void Program::CreateTrayIcon() {
  if (tray_.trayIcon() != nullptr) return;
  mouse_.SetTray(tray_.CreateIcon());
  // Where the notification area shows the menu itself, it gets a copy of the entries.
  if (QMenu* exported = tray_.ExportMenu(window_.popupMenu()->actions()))
    mouse_.WatchExportedMenu(exported);
}

void Program::IconRegisters() {
  const bool gnomeShell = area_.hostIsGnomeShell();
  mouse_.HostAppeared(gnomeShell);
  if (gnomeShell) tray_.HoldFaceFor(TrayMouseRouter::kHostLookAheadMs);
}

void Program::OnTrayMouse(TrayMouse action) {
  lotwarden::OnTrayMouse(action, clock_.Now(), monitor_.state(), window_, menuHost_);
  // Hovering the icon, or a menu's opening, ends the alert.
  notice_.Follow();
}

}  // namespace lotwarden
