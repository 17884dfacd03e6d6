// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/monitor.h"
#include "monitor/qt/qt_transfer.h"
#include "tray/alert_notice.h"
#include "tray/qt/qt_notifier.h"
#include "tray/qt/qt_tray_menu_host.h"
#include "tray/qt/qt_tray_presence.h"
#include "tray/qt/tray_area_watcher.h"
#include "tray/qt/tray_mouse_router.h"
#include "window/main_window.h"

namespace lotwarden {

// The desktop entry's name (packaging/), by which the desktop matches windows and
// notifications to the program's name and icon.
inline constexpr char kDesktopEntry[] = "io.github.lotwarden.lotwarden";

// The program's objects wired together: the window, the HTTP transfer, the monitor that
// handles their events, the tray icon with its mouse actions following the notification area as
// it comes and goes, and the desktop notification that carries the alert where there is no tray.
// The clock is the caller's, so tests can set the time.
class Program {
 public:
  explicit Program(const Clock& clock);
  ~Program();

  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  MainWindow& window() { return window_; }
  Monitor& monitor() { return monitor_; }
  QtTrayPresence& tray() { return tray_; }
  TrayAreaWatcher& area() { return area_; }
  AlertNotice& notice() { return notice_; }
  // A mouse action on the tray icon.
  void OnTrayMouse(TrayMouse action);
  // Makes the tray icon, with its menu and mouse actions, unless it exists.
  void CreateTrayIcon();

 private:
  // The icon registers with a D-Bus host that just appeared: what the host does meanwhile, and
  // what its activations mean, depend on which host it is.
  void IconRegisters();

  MainWindow window_;
  QtTransfer transfer_;
  QtTrayPresence tray_;
  Monitor monitor_;
  QtTrayMenuHost menuHost_;
  TrayMouseRouter mouse_;
  TrayAreaWatcher area_;
  const Clock& clock_;
  QtNotifier notifier_;
  AlertNotice notice_;
};

}  // namespace lotwarden
