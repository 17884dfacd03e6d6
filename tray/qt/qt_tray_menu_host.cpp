// SPDX-License-Identifier: MIT
#include "tray/qt/qt_tray_menu_host.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QWidget>
#include <utility>

namespace lotwarden {

QtTrayMenuHost::QtTrayMenuHost(QWidget* window, QMenu* menu, std::function<void()> showConfig)
    : window_(window), menu_(menu), showConfig_(std::move(showConfig)) {}

void QtTrayMenuHost::BringWindowToForeground() {
  // A hidden window stays hidden; a shown one comes to the front.
  if (window_ && window_->isVisible()) {
    window_->raise();
    window_->activateWindow();
  }
}

void QtTrayMenuHost::ProcessPendingEvents() {
  QCoreApplication::processEvents();
}

void QtTrayMenuHost::PopupMenu() {
  if (!menu_) return;
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
      !(window_ && window_->isVisible())) {
    emit menu_->aboutToHide();
    return;
  }
  menu_->exec(QCursor::pos());
}

void QtTrayMenuHost::ShowConfig() {
  if (showConfig_) showConfig_();
}

}  // namespace lotwarden
