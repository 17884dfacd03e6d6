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
// Each opening of the copy of the menu that the notification area shows by itself comes as a
// right press whose menu is already up, so that press opens nothing. On Wayland a menu needs a
// mapped window to be a popup of; with the window hidden it would become a window of its own, so it
// does not open and counts as dismissed.
class QtTrayMenuHost : public TrayMenuHost {
 public:
  QtTrayMenuHost(QWidget* window, QMenu* menu, std::function<void()> showConfig);

  // The copy of the menu that the notification area shows by itself (see QtTrayPresence).
  void SetExportedMenu(QMenu* exported);

  void BringWindowToForeground() override;
  void ProcessPendingEvents() override;
  void PopupMenu() override;
  void ShowConfig() override;

 private:
  QPointer<QWidget> window_;
  QPointer<QMenu> menu_;
  std::function<void()> showConfig_;
  // Openings of the exported menu whose right press has yet to run.
  int shownByDesktop_ = 0;
  // Ends the connections to the exported menu with this host.
  QObject connections_;
};

}  // namespace lotwarden
