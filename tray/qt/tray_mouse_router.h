// SPDX-License-Identifier: MIT
#pragma once

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
// host reports only activations, which are mapped instead; as it never reports the pointer
// coming back, the closing of the popup menu counts as one pointer movement there, so the
// menu does not leave the tick switched off.
class TrayMouseRouter : public QObject {
  Q_OBJECT

 public:
  static constexpr char kTrayWidgetName[] = "QSystemTrayIconSys";

  TrayMouseRouter(QSystemTrayIcon* tray, std::function<void(TrayMouse)> deliver,
                  QObject* parent = nullptr);
  ~TrayMouseRouter() override;

  // Reports the closing of this popup menu where the host cannot see the pointer.
  void WatchMenu(QMenu* menu);

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
};

}  // namespace lotwarden
