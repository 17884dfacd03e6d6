// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <functional>

#include "tray/tray_mouse.h"

class QMenu;
class QWidget;

namespace lotwarden {

// The tray's mouse actions on Qt: the window to the front, pending events, the window's
// popup menu run modally at the pointer, and the window's "Config." command.
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
