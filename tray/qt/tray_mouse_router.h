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
// host reports only activations and never the pointer, so each activation first counts as the
// pointer coming over the icon; one is a left click, a second within the desktop's double-click
// interval a left double-click. GNOME's AppIndicator host opens the menu on a click and sends
// an activation only for a double-click, so there every activation is a double-click.
class TrayMouseRouter : public QObject {
  Q_OBJECT

 public:
  static constexpr char kTrayWidgetName[] = "QSystemTrayIconSys";
  // A host reads the menu ahead when the icon registers with it (GNOME's does): an opening of
  // the exported menu this soon after the host appeared is that, not a user's click.
  static constexpr int kHostLookAheadMs = 3000;

  explicit TrayMouseRouter(std::function<void(TrayMouse)> deliver, QObject* parent = nullptr);
  ~TrayMouseRouter() override;

  // The icon whose activations count; it may come long after the router.
  void SetTray(QSystemTrayIcon* tray);
  // Reports the closing of this popup menu.
  void WatchMenu(QMenu* menu);
  // The menu that the notification area shows by itself: its opening counts as the area's
  // opening of the menu, its closing or a choice from it as the menu closed.
  void WatchExportedMenu(QMenu* menu);
  // A StatusNotifierHost appeared (the icon registers with it now), and whether it is GNOME
  // Shell's.
  void HostAppeared(bool gnomeShell);
  // The host went away: a menu it showed is gone with it.
  void HostGone();

  // Whether Qt's XEmbed icon widget exists, i.e. the filter sees the mouse directly.
  static bool TrayWidgetExists();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Activated(QSystemTrayIcon::ActivationReason reason);
  // Hands an action to the callback from the event loop, in the order posted.
  void Post(TrayMouse action);

  QPointer<QSystemTrayIcon> tray_;
  std::function<void(TrayMouse)> deliver_;
  // Since the last activation that counted as a single click; invalid after a double-click.
  QElapsedTimer sinceClick_;
  // Since the host appeared.
  QElapsedTimer sinceHost_;
  bool gnomeShell_ = false;
};

}  // namespace lotwarden
