// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "tray/tray_mouse.h"

class QMenu;
class QWidget;

namespace lotwarden {

// The tray's mouse actions on Qt: the window to the front, pending events, the window's
// popup menu run modally at the pointer, and the window's "Config." command.
//
// On Wayland a menu needs a mapped window to be a popup of; with the window hidden it would become
// a window of its own, so it does not open and counts as dismissed.
class QtTrayMenuHost : public TrayMenuHost {
 public:
  QtTrayMenuHost(QWidget* window, QMenu* menu, std::function<void()> showConfig);

  void BringWindowToForeground() override;
  void ProcessPendingEvents() override;
  void PopupMenu() override;
  void ShowConfig() override;

 private:
  QPointer<QWidget> window_;
  QPointer<QMenu> menu_;
  std::function<void()> showConfig_;
};

}  // namespace lotwarden
