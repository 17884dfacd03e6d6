// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>

#include "tray/tray_mouse.h"

class QMenu;

namespace lotwarden {

// Turns mouse events on the tray icon into the tray's mouse actions and hands each to a
// callback, from the event loop right after the event that caused it.
//
// On an XEmbed notification area the icon is Qt's own widget "QSystemTrayIconSys", which
// gets every pointer movement and button event; an application-wide event filter reads
// them there, and activated() is then ignored so nothing counts twice. A StatusNotifierItem
// host reports only activations, which are mapped instead: one is a left click, a second
// within the desktop's double-click interval a left double-click. GNOME's AppIndicator host
// opens the menu on a click and sends one activation for a double-click, so an activation
// within that interval of the menu's opening is a double-click too. As such a host never
// reports the pointer coming back, the closing of the popup menu counts as one pointer
// movement there, so the menu does not leave the tick switched off.
class TrayMouseRouter : public QObject {
  Q_OBJECT

 public:
  static constexpr char kTrayWidgetName[] = "QSystemTrayIconSys";

  TrayMouseRouter(QSystemTrayIcon* tray, std::function<void(TrayMouse)> deliver,
                  QObject* parent = nullptr);
  ~TrayMouseRouter() override;

  // Reports the closing of this popup menu where the host cannot see the pointer.
  void WatchMenu(QMenu* menu);
  // The menu that the notification area shows by itself: its opening counts as a right press
  // (the pointer first coming over the icon), its closing as the pointer's return.
  void WatchExportedMenu(QMenu* menu);

  // Whether Qt's XEmbed icon widget exists, i.e. the filter sees the mouse directly.
  static bool TrayWidgetExists();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Activated(QSystemTrayIcon::ActivationReason reason);
  void MenuClosed();
  // Hands an action to the callback from the event loop, in the order posted.
  void Post(TrayMouse action);

  QPointer<QSystemTrayIcon> tray_;
  std::function<void(TrayMouse)> deliver_;
  // Since the last activation that counted as a single click, or the exported menu's opening;
  // invalid after a double-click.
  QElapsedTimer sinceClick_;
};

}  // namespace lotwarden
